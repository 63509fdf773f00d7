"""A folder walked with the keyboard alone. The window gets the focus as a window manager gives
it; Right on the tab bar opens Files, Tab goes into the list, where a ring shows the highlighted
row. The arrows, Page Down, End and Home move it (the list follows), Return opens a folder or plays
a song, Backspace and Alt+Left go back a level with the row that was opened highlighted again.
Tab goes on from the list to the mini player (a ring shows it), whose Return opens the full player;
Escape closes it and leaves the keyboard on the mini player."""

from journeylib import Journey

with Journey() as j:
    import pyatspi  # after the journey has put the accessibility bus up

    walk = j.home / "Walk"
    inner = walk / "Inner"
    inner.mkdir(parents=True)
    for i in range(1, 41):
        (inner / f"Note {i:02d}.txt").write_text("note\n")
    j.make_song(walk / "Song.mp3", seconds=30, title="Walk Song")
    j.start_tarnik()
    j.focus_window()

    def highlighted():
        """The list item the keyboard stands on (focused to screen readers), or None."""
        found = j.find_all(role="list item", match=lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))
        return found[0] if found else None

    def on(name, what):
        """Waits until the keyboard stands on `name`, its whole row on screen with the ring
        around it; returns the row."""
        def there():
            row = highlighted()
            if row is None or row.name != name:
                return None
            x, y, w, h = j.extents(row)
            window = j.extents(j._tarnik_window())
            return row if y >= window[1] and y + h <= window[1] + window[3] else None

        row = j.wait_for(there, 10, f"the keyboard on {name!r} ({what})")
        x, y, w, h = j.extents(row)
        ring = j.frame().pixel(x + 2, y + h // 2)
        j.check(ring[2] > 150 and ring[2] > ring[0] + 60,
                f"no ring shows the keyboard on {name!r} ({what}): {ring} at its left edge")
        return row

    def walk_to(name, key):
        """Presses the arrow key until the keyboard stands on `name`."""
        j.wait_for(highlighted, 10, "a highlighted row")
        for _ in range(5):
            row = highlighted()
            if row is not None and row.name == name:
                break
            before = row.name if row is not None else None
            j.key(key)
            j.wait_for(lambda: highlighted() is not None and highlighted().name != before, 5,
                       f"{key} to move the highlight")
        return on(name, f"walked there with {key}")

    # The tab bar has the focus first: Right opens Files, Tab goes into the list.
    j.key("Right")
    j.find("Walk", role="list item")
    j.key("Tab")
    on("Walk", "the list took the focus")

    j.key("Return")
    on("Inner", "a new level starts at its first row")
    j.key("Return")
    on("Note 01", "the next level starts at its first row too")
    j.key("Page_Down")
    paged = j.wait_for(lambda: highlighted() is not None and highlighted().name > "Note 03" and highlighted(),
                       5, "Page Down to move the highlight a screen down")
    on(paged.name, "after Page Down")
    j.key("End")
    on("Note 40", "End")
    j.key("Home")
    on("Note 01", "Home")
    j.key("Up")
    on("Note 01", "Up at the top")

    # Backspace goes back a level, to the folder that was opened.
    j.key("BackSpace")
    on("Inner", "back with Backspace")
    # Return on a song plays it, as a tap does; the keyboard stays on its row.
    walk_to("Walk Song", "Down")
    j.key("Return")
    j.wait_for(lambda: j.mpris("PlaybackStatus") == "Playing", 15, "MPRIS to say Playing")
    j.check(j.mpris("Metadata").get("xesam:title") == "Walk Song", "Return played another song")
    on("Walk Song", "after playing it")

    j.key("alt+Left")
    on("Walk", "back with Alt+Left")

    # The mini player is the next stop of the Tab chain: a pressable "Now Playing" to screen
    # readers, with the ring around its bar. Return opens the full player, Escape closes it.
    def mini_player():
        """The mini player when the keyboard stands on it, or None."""
        return next(iter(j.find_all("Now Playing", role="push button",
                                    match=lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))), None)

    def full_player_open():
        close = j.find_all("Close", role="push button")
        return bool(close) and 0 <= j.extents(close[0])[1] < 100

    j.key("Tab")
    mini = j.wait_for(mini_player, 5, "Tab to go on from the list to the mini player")
    actions = mini.queryAction()
    names = [actions.getName(i).lower() for i in range(actions.nActions)]
    j.check("press" in names, f"the mini player cannot be pressed by a screen reader (actions {names})")
    x, y, w, h = j.extents(mini)
    j.wait_for(lambda: (lambda p: p[2] > 150 and p[2] > p[0] + 60)(j.frame().pixel(x + 2, y + 30)), 5,
               f"a ring around the mini player's bar ({j.frame().pixel(x + 2, y + 30)} at its left edge)")
    j.key("Return")
    j.wait_for(full_player_open, 10, "Return on the mini player to open the full player")
    j.check(j.mpris("PlaybackStatus") == "Playing", "opening the full player stopped the song")
    j.key("Escape")
    j.wait_for(lambda: not full_player_open() and j.find_all("Files", role="page tab"), 10,
               "Escape to close the full player")
    j.wait_for(mini_player, 5, "the keyboard back on the mini player after Escape")
    j.key("shift+Tab")
    on("Walk", "Shift+Tab back into the list")
