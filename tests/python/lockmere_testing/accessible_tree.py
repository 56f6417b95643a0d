"""Prints the accessibility tree of the running program named on the command
line as JSON lines: role, name, whether it is showing, and its extents on
the screen. Runs with the system's Python, which has pyatspi."""

import json
import sys

import pyatspi


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    try:
        states = node.getState()
        x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except Exception:
        x = y = w = h = 0
        states = None
    print(json.dumps({
        "role": node.getRoleName(), "name": node.name,
        "showing": bool(states and states.contains(pyatspi.STATE_SHOWING)),
        "visible": bool(states and states.contains(pyatspi.STATE_VISIBLE)),
        "box": [x, y, w, h]}))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1)


desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is not None and app.name == sys.argv[1]:
        walk(app)
