// Watches an X server from outside a program, as a window manager would:
//   xwindow close TITLE [SECONDS]     waits for a mapped top-level window titled TITLE, then asks it to
//                                     close with WM_DELETE_WINDOW until it is gone.
//   xwindow mapped TITLE [SECONDS]    waits for it to be mapped and prints the milliseconds since this
//                                     tool started.
//   xwindow launch TITLE -- CMD...    starts CMD, waits for its window to be mapped, prints the milliseconds
//                                     from the start to the map and CMD's resident set in KiB at that moment,
//                                     then closes the window and waits for CMD.
// Exit status 2: the window did not appear in time; 3: it did not close in time.
#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

std::string Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr);
    std::string value;
    if (reply != nullptr) {
        value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return value;
}

bool IsMapped(xcb_connection_t* connection, xcb_window_t window) {
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool mapped = reply != nullptr && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return mapped;
}

// A mapped child of the root whose title is `title`, or XCB_WINDOW_NONE.
xcb_window_t FindWindow(xcb_connection_t* connection, xcb_window_t root, const std::string& title) {
    const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
    if (tree == nullptr) {
        return XCB_WINDOW_NONE;
    }
    xcb_window_t found = XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && found == XCB_WINDOW_NONE; ++i) {
        const bool titled = Property(connection, children[i], netName, utf8) == title ||
                            Property(connection, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == title;
        if (titled && IsMapped(connection, children[i])) {
            found = children[i];
        }
    }
    std::free(tree);
    return found;
}

xcb_window_t WaitForWindow(xcb_connection_t* connection, xcb_window_t root, const std::string& title, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        if (const xcb_window_t window = FindWindow(connection, root, title); window != XCB_WINDOW_NONE) {
            return window;
        }
        // Polling the server: a watcher from outside has no event to wait on for another client's map.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return XCB_WINDOW_NONE;
}

void SendDelete(xcb_connection_t* connection, xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    // A round trip, so the server has delivered the request before this tool disconnects: a server that sees
    // the connection close first may drop requests it has not read yet.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// The resident set of a process in KiB, from /proc; 0 where that is not available.
long ResidentKiB(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE* status = std::fopen(path.c_str(), "r");
    if (status == nullptr) {
        return 0;
    }
    constexpr std::string_view kField = "VmRSS:";
    std::array<char, 256> line{};
    long kib = 0;
    while (std::fgets(line.data(), static_cast<int>(line.size()), status) != nullptr) {
        if (std::string_view{line.data()}.starts_with(kField)) {
            kib = std::strtol(line.data() + kField.size(), nullptr, 10);
        }
    }
    std::fclose(status);
    return kib;
}

// Asks the window to close until it is gone. A request that arrives while the program is still starting can
// go unanswered, so it is repeated, as a user would click the close box again.
bool CloseUntilGone(xcb_connection_t* connection, xcb_window_t root, const std::string& title, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        const xcb_window_t window = FindWindow(connection, root, title);
        if (window == XCB_WINDOW_NONE) {
            return true;
        }
        SendDelete(connection, window);
        const auto retry = Clock::now() + std::chrono::milliseconds(500);
        while (Clock::now() < retry && FindWindow(connection, root, title) == window) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return false;
}

// The X server now and then refuses a connection while many clients come and go (about one in 150 under
// load): asked again for a while before giving up.
xcb_connection_t* Connect() {
    constexpr int kAttempts = 50;
    constexpr auto kPause = std::chrono::milliseconds(20);
    for (int attempt = 1;; ++attempt) {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) == 0) {
            return connection;
        }
        xcb_disconnect(connection);
        if (attempt == kAttempts) {
            return nullptr;
        }
        std::this_thread::sleep_for(kPause);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xwindow close|mapped TITLE [SECONDS] | launch TITLE -- CMD...\n");
        return 64;
    }
    const std::string mode = argv[1];
    const std::string title = argv[2];
    double seconds = 30;
    // Connected before the program starts, so that a launch times the program and never leaves it behind.
    xcb_connection_t* connection = Connect();
    if (connection == nullptr) {
        std::fprintf(stderr, "xwindow: cannot reach the X server\n");
        return 1;
    }
    const auto started = Clock::now();
    pid_t child = 0;
    if (mode == "launch") {
        if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
            return 64;
        }
        if (posix_spawnp(&child, argv[4], nullptr, nullptr, &argv[4], environ) != 0) {
            std::perror("xwindow: start");
            return 1;
        }
    } else if (argc > 3) {
        seconds = std::atof(argv[3]);
    }

    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_window_t window = WaitForWindow(connection, root, title, seconds);
    if (window == XCB_WINDOW_NONE) {
        std::fprintf(stderr, "xwindow: no window titled \"%s\" appeared\n", title.c_str());
        if (child > 0) {
            kill(child, SIGTERM);
        }
        return 2;
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    if (mode == "mapped") {
        std::printf("%.2f\n", elapsed);
    } else if (mode == "launch") {
        std::printf("%.2f %ld\n", elapsed, ResidentKiB(child));
    }
    const bool closed = (mode != "close" && mode != "launch") || CloseUntilGone(connection, root, title, seconds);
    xcb_disconnect(connection);
    if (child > 0) {
        if (!closed) {
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return closed ? 0 : 3;
}
