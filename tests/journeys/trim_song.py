"""A song handed to Tarnik opens in the import editor. Its trimmer previews a chosen range: the
sound starts at once at the range's start and stays inside it; the play button says "pause"
meanwhile, to the eye and to screen readers, and pausing silences it. Then the volume editor's
Preview sounds the first time it is pressed.
Escape closes what is on top of the editor (the volume editor, the kind menu), then ends typing in
a field, and only then closes the editor."""

from journeylib import Journey

# The song sounds only from 3.5 s to 6.6 s, and its pitch tells the second it is at (second n at
# 200 + 100 n Hz): a preview of 4 s to 6 s that strays outside the range goes silent, one that
# started elsewhere is heard at another pitch. The trimmer looks at its position every half
# second, so it may run past the range's end by that much.
START, END = 4, 6


def second(hertz):
    return round((hertz - 200) / 100)


def sounding(recorder):
    """(when the recording first carried sound,) once it has."""
    onset = recorder.peek().onset()
    return None if onset is None else (onset,)


with Journey() as j:
    song = j.home / "Range.mp3"
    j.ffmpeg("-f", "lavfi", "-i", "aevalsrc='0.3*sin(2*PI*(200+100*floor(t))*t)*between(t,3.5,6.6)':s=44100:d=20",
             "-c:a", "libmp3lame", "-b:a", "128k", song)
    j.start_tarnik(song)

    j.click(j.find("Trim Audio", role="label", timeout=20))
    for name, value in (("Start", START), ("End", END)):
        j.click(j.find(name, role="text"))
        j.key("ctrl+a")
        j.type(str(value))
        j.key("Tab")

    recorder = j.start_recording()
    play = j.find("play", role="push button")
    j.click(play)
    clicked = recorder.peek().seconds
    j.find("pause", role="push button")
    started = j.wait_for(lambda: sounding(recorder), 5, "the preview to sound")[0]
    j.log(f"the preview sounded {started - clicked:.2f} s after the click")
    j.check(started - clicked < 1.5, f"the preview took {started - clicked:.1f} s to sound")
    j.wait_for(lambda: recorder.peek().seconds > started + 2.5, 15, "a pass of the preview")
    recording = recorder.stop()
    # Quarter seconds from the first sound on (the first one whole): each sounds, at a second of
    # the range.
    first = started + 0.05
    windows = [recording.frequency(t, t + 0.25) for t in
               (first + 0.25 * i for i in range(int((recording.seconds - first) / 0.25) - 1))]
    heard_seconds = [second(f) if f else None for f in windows]
    j.log("preview: seconds heard " + " ".join("-" if s is None else str(s) for s in heard_seconds))
    j.check(heard_seconds[0] == START, f"the preview started at second {heard_seconds[0]}, not at the range's start")
    # The first pass, up to where the trimmer turns back: the range, at every quarter second.
    first_pass = heard_seconds[:7]
    j.check(all(s in (START, START + 1) for s in first_pass),
            f"the preview's first pass strayed or went silent: seconds {heard_seconds}")

    j.click(j.find("pause", role="push button"))
    j.find("play", role="push button")
    j.wait_for(lambda: j.record(0.5).rms() < 0.005, 10, "silence after pausing the preview")
    j.click(j.find("Cancel", role="push button"))
    j.gone("pause", role="push button")

    # The volume editor's Preview plays the song from its start, which is silent until 3.5 s.
    j.click(j.find("Volume Adjust", role="label"))
    recorder = j.start_recording()
    j.click(j.find("Preview", role="push button"))
    j.find("Pause", role="push button")
    heard = j.wait_for(lambda: sounding(recorder), 10, "the volume preview to sound")[0]
    j.wait_for(lambda: recorder.peek().seconds > heard + 0.5, 5, "half a second of the volume preview")
    pitch = recorder.stop().frequency(heard, heard + 0.5)
    j.check(second(pitch) == 3, f"the volume preview was first heard at second {second(pitch)}, not at 3")

    # Escape closes the volume editor, then the kind menu, each back to the import editor.
    import pyatspi  # after the journey has put the accessibility bus up

    j.focus_window()
    j.key("Escape")
    j.gone("Volume Level")
    j.find("Trim Audio", role="label")
    kinds = [n.name for n in j.find_all(role="push button", match=lambda n: n.name in ("Song", "Music"))]
    j.click(j.find(kinds[0] if kinds else "Song", role="push button"))
    j.find(role="menu item")
    j.key("Escape")
    j.wait_for(lambda: not j.find_all(role="menu item"), 10, "Escape to close the kind menu")
    j.find("Trim Audio", role="label")

    # Typing in a field, the first Escape ends the typing and the second closes the editor.
    table = j.find("Trim Audio", role="label")
    j.wheel(table, 5)
    title = j.find("Title", role="text")
    j.click(title)
    j.wait_for(lambda: title.getState().contains(pyatspi.STATE_FOCUSED), 5, "the Title field to take the typing")
    j.type(" draft")
    j.key("Escape")
    j.wait_for(lambda: not title.getState().contains(pyatspi.STATE_FOCUSED), 5, "Escape to end the typing")
    j.check(j.find_all("Import", role="push button"), "the first Escape closed the editor while typing")
    j.key("Escape")
    j.gone("Import", role="push button")
