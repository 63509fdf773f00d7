"""A song handed to Tarnik opens in the import editor. Its trimmer previews a chosen range on a
loop: the sound starts at once at the range's start, stays inside the range, and turns back to the
start each time it reaches the end, pass after pass, without a gap or a skip; the playhead shown
stays in the range. The play button says "pause" meanwhile, to the eye and to screen readers, and
pausing silences it. The editor's rows are named for screen readers by what they show. Then the
volume editor's Preview sounds the first time it is pressed and goes on sounding after its loop
turns back to the song's start; its level knob sets the preview's volume while it plays.
Escape closes what is on top of the editor (the volume editor, the kind menu), then ends typing in
a field, and only then closes the editor."""

from journeylib import Journey

import re

# The song sounds only from 3.5 s to 6.6 s of its 8 s, and its pitch tells the second it is at
# (second n at 200 + 100 n Hz): a preview of 4 s to 6 s that strays outside the range is heard at
# second 6 or goes silent, one that started elsewhere is heard at another pitch, one that skips
# has a short second.
START, END = 4, 6
LENGTH = 8
PASS = END - START
STEP = 0.1  # seconds of sound per pitch reading


def second(hertz):
    return round((hertz - 200) / 100)


def sounding(recorder):
    """(when the recording first carried sound,) once it has."""
    onset = recorder.peek().onset()
    return None if onset is None else (onset,)


def runs(values):
    """[value, length] of each run of equal values, in order."""
    out = []
    for v in values:
        if out and out[-1][0] == v:
            out[-1][1] += 1
        else:
            out.append([v, 1])
    return out


with Journey() as j:
    song = j.home / "Range.mp3"
    j.ffmpeg("-f", "lavfi", "-i", "aevalsrc='0.3*sin(2*PI*(200+100*floor(t))*t)*between(t,3.5,6.6)'"
             f":s=44100:d={LENGTH}", "-c:a", "libmp3lame", "-b:a", "128k", song)
    j.start_tarnik(song)

    # The editor's rows are list items named by what they show, as a screen reader finds them.
    j.find(f"Trim Audio, 0:00 - 0:0{LENGTH}", role="list item", timeout=20)
    j.find("Volume Adjust", role="list item")
    j.click(j.find("Trim Audio", role="label"))
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
    # The playhead shown follows the sound and stays in the range.
    playhead = re.compile(r"^(\d+):(\d\d):(\d\d\d)$")
    shown = set()
    while recorder.peek().seconds < started + 2.5 * PASS + 0.3:
        for text in j.texts():
            m = playhead.match(text)
            if m:
                shown.add(int(m[1]) * 60 + int(m[2]) + int(m[3]) / 1000)
        j.check(j.tarnik_running(), "the app quit while previewing")
    recording = recorder.stop()

    # Readings every STEP from the first sound on: each sounds, at a second of the range, and the
    # seconds come in whole runs (START, START + 1, START, ...): two passes and more, each turning
    # back to the start the moment it reaches the end.
    first = started + 0.03
    count = int((recording.seconds - first) / STEP) - 1
    readings = [recording.frequency(first + STEP * i, first + STEP * (i + 1)) for i in range(count)]
    heard = [second(f) if f else None for f in readings]
    j.log("preview: seconds heard " + " ".join("-" if s is None else str(s) for s in heard))
    j.check(heard[0] == START, f"the preview started at second {heard[0]}, not at the range's start")
    j.check(all(s in range(START, END) for s in heard),
            f"the preview strayed outside the range or went silent: seconds {heard}")
    whole = runs(heard)[:-1]  # the last run is cut by the end of the recording
    j.log("preview: runs " + " ".join(f"{v}x{n}" for v, n in whole))
    per_second = round(1 / STEP)
    j.check(all(abs(n - per_second) <= 2 for _, n in whole),
            f"a second of the range was cut short or stretched (a skip or a gap): runs {whole}")
    turns = [i for i in range(1, len(whole)) if whole[i][0] == START and whole[i - 1][0] == END - 1]
    j.check(len(turns) >= 2, f"the preview did not loop twice: runs {whole}")
    # Past this journey's own checks, what the trimmer shows: a playhead inside the range.
    j.log("preview: playhead shown at " + " ".join(f"{t:.2f}" for t in sorted(shown)))
    j.check(shown and all(START - 0.05 <= t <= END + 0.05 for t in shown),
            f"the playhead showed {sorted(shown)}, outside {START}-{END}")

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
    pitch = recorder.peek().frequency(heard, heard + 0.5)
    j.check(second(pitch) == 3, f"the volume preview was first heard at second {second(pitch)}, not at 3")
    # It loops: after the song's end it plays from its start again, so the sound comes back one
    # song's length after it was first heard, at the same second.
    def sounding_again():
        windows = recorder.peek().windows(0.05)
        first = int((heard + 3.4) / 0.05)
        return next((((first + i) * 0.05,) for i, rms in enumerate(windows[first:]) if rms > 0.02), None)

    again = j.wait_for(sounding_again, LENGTH + 5, "the volume preview to sound again")[0]
    j.log(f"the volume preview sounded again {again - heard:.2f} s later")
    j.check(abs(again - heard - LENGTH) < 0.3, f"the volume preview sounded again {again - heard:.2f} s later, "
            f"not {LENGTH} s")
    # The level knob sets the preview's volume while it plays: half the level, half the sound.
    j.wait_for(lambda: recorder.peek().seconds > again + 0.6, 5, "the volume preview's second turn")
    value = j.find("Volume Level", role="dial").queryValue()
    turned = recorder.peek().seconds
    value.currentValue = (value.minimumValue + value.maximumValue) / 2
    j.wait_for(lambda: recorder.peek().seconds > turned + 1.1, 5, "the volume preview at half the level")
    recording = recorder.stop()
    j.check(second(recording.frequency(again, again + 0.5)) == 3, "the volume preview's second turn was not at second 3")
    full, half = recording.rms(again + 0.1, again + 0.5), recording.rms(turned + 0.6, turned + 1.1)
    j.log(f"the volume preview at the full level {full:.3f}, at half the level {half:.3f}")
    j.check(0.4 < half / full < 0.6, f"half the level gave {half / full:.2f} of the sound (is the sink at its "
            "maximum volume? the level is taken only then)")

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
