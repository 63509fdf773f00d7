"""With a song playing, Edit on the Ringtones tab slides the mini player away, so a click on the
toolbar's Delete, where the mini player was, reaches Delete: the chosen ringtone goes and the full
player stays closed. Leaving edit mode brings the mini player back, still playing."""

import os
from pathlib import Path

from journeylib import Journey

NAMES = ("Morning Bell", "Soft Chime", "Marimba Loop")

with Journey() as j:
    # The ringtone catalogue where the app keeps it (its documents folder without /var/mobile).
    purchases = Path(os.environ["XDG_DATA_HOME"]) / "tarnik" / "Documents" / "Media" / "Purchases"
    purchases.mkdir(parents=True)
    entries = ""
    for i, name in enumerate(NAMES, 1):
        (purchases / f"tone-{i}.m4r").write_bytes(b"ring")
        entries += f"<key>tone-{i}.m4r</key><dict><key>Name</key><string>{name}</string></dict>"
    (purchases / "Ringtones.plist").write_text(
        '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>Ringtones</key>'
        f"<dict>{entries}</dict></dict></plist>\n")
    j.make_song(j.home / "Northern Road.mp3", seconds=240, title="Northern Road", artist="Mira Vale")
    j.start_tarnik()

    j.click(j.find("Files", role="page tab"))
    j.click(j.find("Northern Road"))
    j.wait_for(lambda: j.mpris("PlaybackStatus") == "Playing", 15, "MPRIS to say Playing")
    j.find("Artwork", role="filler")  # the mini player is up

    j.click(j.find("Ringtones", role="page tab"))
    j.click(j.find("Edit"))
    j.wait_for(lambda: not j.find_all("Artwork", role="filler"), 10, "Edit to slide the mini player away")
    j.click(j.find("Soft Chime"))
    j.click(j.find("Delete"))
    j.gone("Soft Chime")
    j.check(not j.find_all("Close", role="push button"), "the click on Delete opened the full player")
    j.check("Soft Chime" not in (purchases / "Ringtones.plist").read_text(), "the catalogue still lists it")
    j.check(not (purchases / "tone-2.m4r").exists(), "the ringtone's file is still there")
    for name in ("Morning Bell", "Marimba Loop"):
        j.find(name)

    # Deleting ends edit mode: the mini player comes back, and the song never stopped.
    j.wait_for(lambda: j.find_all("Artwork", role="filler"), 10, "the mini player to come back")
    j.check(j.mpris("PlaybackStatus") == "Playing", "the song stopped playing")
