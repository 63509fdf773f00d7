"""Open a folder in the browser and tap a song: it plays (MPRIS says so, the sink carries sound),
the mini player shows it, and its Pause button silences it."""

from journeylib import Journey

with Journey() as j:
    j.make_song(j.home / "Music" / "Northern Road.mp3", seconds=60, title="Northern Road", artist="Mira Vale")
    j.make_song(j.home / "Music" / "Quiet Harbour.mp3", seconds=60, frequency=523, title="Quiet Harbour")
    j.start_tarnik()

    j.click(j.find("Files", role="page tab"))
    j.click(j.find("Music"))
    j.click(j.find("Northern Road"))

    j.wait_for(lambda: j.mpris("PlaybackStatus") == "Playing", 15, "MPRIS to say Playing")
    title = j.mpris("Metadata").get("xesam:title")
    j.check(title == "Northern Road", f"MPRIS names {title!r}, not the song tapped")
    # The player starts a moment after it reports playing; the sound is what counts.
    j.wait_for(lambda: j.record(0.5).rms() > 0.05, 10, "sound on the null sink")

    # The mini player shows the song; its Pause button stops the sound.
    pause = j.find("Pause", role="push button")
    j.click(pause)
    j.wait_for(lambda: j.mpris("PlaybackStatus") == "Paused", 10, "MPRIS to say Paused")
    j.wait_for(lambda: j.record(0.5).rms() < 0.005, 10, "silence on the null sink")
    j.find("Play", role="push button")
