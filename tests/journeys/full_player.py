"""The mini player dragged up at a slow, a medium and a fast speed opens the full player, and a
downward drag (one of them over the artwork) closes it again. After each drag the screen is settled
either way, and the tabs, the browser's rows and the player's buttons answer. Then, with a video in
the full player, Escape closes what is on top, one screen at a time: the share sheet, a notice,
the video screen (whose play button, reached with Tab, shows its focus as a ring), the full
player."""

from journeylib import Journey

DISTANCE = 400

with Journey() as j:
    j.make_song(j.home / "Northern Road.mp3", seconds=240, title="Northern Road", artist="Mira Vale")
    j.ffmpeg("-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=120", "-c:v", "libx264",
             "-pix_fmt", "yuv420p", j.home / "Clip.mp4")
    j.start_tarnik()
    j.click(j.find("Files", role="page tab"))
    j.click(j.find("Northern Road"))
    j.wait_for(lambda: j.mpris("PlaybackStatus") == "Playing", 15, "MPRIS to say Playing")

    def mini_player():
        """The mini player's bar: the frame around its Artwork, Title and buttons."""
        art = j.find("Artwork", role="filler")
        x, y, w, h = j.extents(art)
        return x, y, w, h

    def full_player_open():
        close = j.find_all("Close", role="push button")
        return close and j.extents(close[0])[1] >= 0 and j.extents(close[0])[1] < 100

    def tabs_answer(where):
        """Home shows the guide, Files brings the browser back: the tabs are not blocked."""
        j.click(j.find("Home", role="page tab"))
        j.wait_for(lambda: not j.find_all("Northern Road", role="list item"), 10,
                   f"the Home tab to replace the browser ({where})")
        j.click(j.find("Files", role="page tab"))
        j.find("Northern Road", role="list item")

    for label, duration in (("slow", 1.6), ("medium", 0.5), ("fast", 0.12)):
        x, y, w, h = mini_player()
        # From the middle of the bar, beside the artwork, straight up.
        start = (x + w + 120, y + h // 2)
        j.drag(start, (start[0], start[1] - DISTANCE), duration)
        j.wait_for(full_player_open, 10, f"the full player to open after a {label} drag up")
        j.wait_for(lambda: not j.find_all("Home", role="page tab"), 5,
                   f"the tab bar to hide behind the full player ({label})")
        # The player's own buttons work: pause and play again.
        j.click(j.find("Pause", role="push button"))
        j.wait_for(lambda: j.mpris("PlaybackStatus") == "Paused", 10, f"Pause in the full player ({label})")
        j.click(j.find("Play", role="push button"))
        j.wait_for(lambda: j.mpris("PlaybackStatus") == "Playing", 10, f"Play in the full player ({label})")

        # Down again, over the artwork the first time, over the bare screen below the chevron after.
        ax, ay, aw, ah = j.extents(j.find("Artwork", role="filler"))
        top = (ax + aw // 2, ay + ah // 3) if label == "slow" else (ax + aw // 2, ay - 20)
        j.drag(top, (top[0], top[1] + DISTANCE), duration)
        j.wait_for(lambda: j.find_all("Home", role="page tab") and not j.find_all("Close", role="push button"),
                   10, f"the full player to close after a {label} drag down")
        tabs_answer(label)

    # A drag up that turns back before it is released leaves the mini player where it was.
    x, y, w, h = mini_player()
    start = (x + w + 120, y + h // 2)
    j.drag(start, (start[0], start[1] - 150), 0.6, release=False)
    j.drag((start[0], start[1] - 150), start, 0.6, press=False)
    j.wait_for(lambda: j.find_all("Home", role="page tab") and not j.find_all("Close", role="push button"),
               10, "the mini player to stay after a drag turned back")
    tabs_answer("turned back")
    j.check(j.mpris("PlaybackStatus") == "Playing", "the song stopped playing")

    # A video in the full player; Escape closes the screen on top each time.
    j.click(j.find("Clip", role="list item"))
    j.wait_for(lambda: j.mpris("Metadata").get("xesam:title") == "Clip", 15, "MPRIS to name the video")
    x, y, w, h = mini_player()
    start = (x + w + 120, y + h // 2)
    j.drag(start, (start[0], start[1] - DISTANCE), 0.5)
    j.wait_for(full_player_open, 10, "the full player to open with the video")
    j.focus_window()
    # Share opens the share sheet, Escape closes it; its Open In... finds no application here and
    # says so in a notice, which Escape answers.
    j.click(j.find("Share", role="push button"))
    j.find("Import to Music", role="push button")
    j.key("Escape")
    j.gone("Import to Music", role="push button")
    j.check(full_player_open(), "Escape on the share sheet closed the full player too")
    j.click(j.find("Share", role="push button"))
    j.click(j.find("Open In...", role="push button"))
    j.find("OK", role="push button")
    j.key("Escape")
    j.gone("OK", role="push button")
    j.check(full_player_open(), "Escape on the notice closed the full player too")
    j.click(j.find("Video"))
    full_screen = j.find("Full screen", role="push button")

    # The video screen's play button, reached with Tab, shows its focus as a ring around its
    # symbol, not as a light square over it.
    import pyatspi  # after the journey has put the accessibility bus up

    bar = j.settled(full_screen)[1]  # once the screen has slid up

    def video_button():
        return next((b for b in j.find_all(role="push button", match=lambda n: n.name in ("Pause", "Play"))
                     if abs(j.centre(b)[1] - bar) < 10), None)

    button = j.wait_for(video_button, 5, "the video screen's play button")
    for _ in range(10):
        if button.getState().contains(pyatspi.STATE_FOCUSED):
            break
        j.key("Tab")
    j.wait_for(lambda: button.getState().contains(pyatspi.STATE_FOCUSED), 5, "Tab to reach the video's play button")
    j.move((5, 5))  # the pointer away, so only the focus shows
    bx, by, bw, bh = j.extents(button)
    frame = j.frame()
    light = sum(1 for px in range(bx, bx + bw) for py in range(by, by + bh) if min(frame.pixel(px, py)) > 200)
    j.check(light < 0.5 * bw * bh,
            f"the focused play button is drawn as a light square ({light} of {bw * bh} pixels light)")
    j.key("Escape")
    j.gone("Full screen", role="push button")
    j.wait_for(full_player_open, 5, "the full player to stay after Escape closed the video screen")
    j.key("Escape")
    j.wait_for(lambda: j.find_all("Home", role="page tab") and not j.find_all("Close", role="push button"),
               10, "Escape to close the full player")
    tabs_answer("Escape")
