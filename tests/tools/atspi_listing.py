#!/usr/bin/python3
"""Lists what a screen reader is offered of the front end, through the desktop's accessibility bus (AT-SPI),
and fails on any object that a user can move the focus to, or that shows a field, without a name.

    atspi_listing.py CONSOLE_TITLE
Needs a session bus with the accessibility bus enabled and the front end running on it, with the stand-in
NodeBuilder found as vantrel.exe and no terminal to share (tests/atspi.sh sets that up). Lists the main
window, presses "Browse" and lists the file browser, then closes it; fills the two file fields, presses
"BUILD", lists NodeBuilder's console (its title ends with CONSOLE_TITLE) and fails unless the lines NodeBuilder writes
there, and the line that ends the run, are told as text inserted into the terminal."""
import sys
import time

import pyatspi
from gi.repository import GLib

MAIN_TITLE = 'Vantrel Frontend'
BROWSER_TITLE = 'Browse for WAD file...'
FIELD_ROLES = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT}


def find_window(title, seconds=20, ending=False):
    """The window with that title, or with a title that ends with it."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            for app in pyatspi.Registry.getDesktop(0):
                for window in app or []:
                    if window is not None and (window.name.endswith(title) if ending else window.name == title):
                        return window
        except Exception:  # an application that is still registering or already gone: look again
            pass
        time.sleep(0.1)
    sys.exit(f'no window "{title}" on the accessibility bus')


def find(node, role, name):
    """The first node below `node` with that name and role (or one of that set of roles)."""
    if (node.getRole() in role if isinstance(role, set) else node.getRole() == role) and node.name == name:
        return node
    for child in node:
        found = find(child, role, name) if child is not None else None
        if found is not None:
            return found
    return None


def label_of(node):
    """The names of the labels that label a node, as a screen reader reads them beside its own name."""
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return ' '.join(names)


def walk(node, depth, problems):
    states = node.getState()
    showing = states.contains(pyatspi.STATE_SHOWING)
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    label = label_of(node)
    flags = ''.join(flag for flag, on in (('F', focusable), ('S', showing)) if on)
    print(f'{"  " * depth}{node.getRoleName()} "{node.name}"' + (f' labelled "{label}"' if label else '') +
          (f' [{flags}]' if flags else ''))
    role = node.getRole()
    if (focusable or (showing and role in FIELD_ROLES)) and not (node.name.strip() or label.strip()):
        problems.append(f'{node.getRoleName()} at depth {depth} has no name')
    if role == pyatspi.ROLE_LIST and depth > 2 and node.childCount > 8:
        print(f'{"  " * (depth + 1)}... {node.childCount} items')
        return
    for child in node:
        if child is not None:
            walk(child, depth + 1, problems)


def main():
    problems = []
    window = find_window(MAIN_TITLE)
    walk(window, 0, problems)

    browse = find(window, pyatspi.ROLE_PUSH_BUTTON, 'Browse')
    if browse is None:
        sys.exit('no "Browse" button on the accessibility bus')
    browse.queryAction().doAction(0)
    dialog = find_window(BROWSER_TITLE)
    print()
    walk(dialog, 0, problems)
    cancel = find(dialog, pyatspi.ROLE_PUSH_BUTTON, 'Cancel')
    if cancel is not None:
        cancel.queryAction().doAction(0)

    heard = []
    pyatspi.Registry.registerEventListener(
        lambda event: heard.append(event.any_data) if event.source.getRole() == pyatspi.ROLE_TERMINAL else None,
        'object:text-changed:insert')
    for name, path in (('Input file', '/maps/e1.wad'), ('Output File', '/maps/e1_vtl.wad')):
        find(window, FIELD_ROLES, name).queryEditableText().setTextContents(path)
    find(window, pyatspi.ROLE_PUSH_BUTTON, 'BUILD').queryAction().doAction(0)
    console = find_window(sys.argv[1], ending=True)  # "Finished - " goes in front once the run has ended
    print()
    walk(console, 0, problems)
    deadline = time.monotonic() + 20
    while not any('NodeBuilder finished.' in text for text in heard) and time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False) or time.sleep(0.05)
    print('\nheard from the console:\n' + '\n'.join(heard))
    if not any(text.startswith('Working...\nProgress 100%\nDone.') for text in heard):
        problems.append('the console\'s lines were not told as they came')
    if not any(text.endswith('NodeBuilder finished.') for text in heard):
        problems.append('the end of the run was not told')

    if problems:
        print('\n'.join(['', 'Problems:'] + problems))
        return 1
    print('\nevery focusable object and every field has a name, and the console\'s lines were heard')
    return 0


if __name__ == '__main__':
    sys.exit(main())
