// A new file browser at a folder of 100,000 files, half of them WADs, until its file list is filled,
// against a plain readdir of the folder with the same case-insensitive "*.*wad" match. Prints one line
// per round: "<ours ms> <baseline ms>", the two interleaved.
//   bench_browse ROUNDS [FILES]
#include "BrowseFile.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <QTemporaryDir>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// "*.*wad" without regard to case: a dot somewhere before a name that ends in "wad".
bool MatchesWad(const char* name) {
    const std::size_t length = std::strlen(name);
    if (length < 4 || name[0] == '.') {
        return false;
    }
    const char* end = name + length - 3;
    if (std::tolower(end[0]) != 'w' || std::tolower(end[1]) != 'a' || std::tolower(end[2]) != 'd') {
        return false;
    }
    return std::memchr(name, '.', length - 3) != nullptr;
}

int ReaddirMatches(const std::string& folder) {
    int matches = 0;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type == DT_REG && MatchesWad(entry->d_name)) {
            ++matches;
        }
    }
    closedir(dir);
    return matches;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
    const int files = argc > 2 ? std::atoi(argv[2]) : 100'000;
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString();
    for (int i = 0; i < files; ++i) {
        const std::string name = path + "/level" + std::to_string(i) + (i % 2 == 0 ? ".wad" : ".txt");
        close(open(name.c_str(), O_CREAT | O_WRONLY, 0644));
    }

    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        const vantrel::BrowseFile dialog(nullptr, nullptr, folder.path());
        const int listed = dialog.findChild<QListView*>(QStringLiteral("File1"))->model()->rowCount();
        const double ours = Milliseconds(start);

        start = Clock::now();
        const int matched = ReaddirMatches(path);
        const double baseline = Milliseconds(start);
        if (listed != matched) {
            std::fprintf(stderr, "the dialog listed %d files, readdir matched %d\n", listed, matched);
            return 1;
        }
        std::printf("%.3f %.3f\n", ours, baseline);
        std::fflush(stdout);
    }
    return 0;
}
