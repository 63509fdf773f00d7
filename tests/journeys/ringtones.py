"""The Ringtones tab: every ringtone is a list item a screen reader finds; a row swiped left shows
its Delete button, and a click on it deletes the ringtone, its file and its catalogue entry.
A row clicked opens the rename alert, which takes Return for its answer."""

import os
import plistlib
from pathlib import Path

from journeylib import Journey

with Journey() as j:
    # The device's home is the app's documents folder here; the catalogue lives under it.
    purchases = Path(os.environ["XDG_DATA_HOME"]) / "tarnik" / "Documents" / "Media" / "Purchases"
    purchases.mkdir(parents=True)
    catalogue = purchases / "Ringtones.plist"
    names = {"alpha.m4r": "Alpha", "beta.m4r": "Beta", "gamma.m4r": "Gamma"}
    for file in names:
        (purchases / file).write_bytes(b"ringtone")
    with open(catalogue, "wb") as out:
        plistlib.dump({"Ringtones": {file: {"Name": name} for file, name in names.items()}}, out)
    j.start_tarnik()
    import pyatspi  # after the journey has put the accessibility bus up

    j.click(j.find("Ringtones", role="page tab"))
    beta = j.find("Beta", role="list item")
    j.find("Alpha", role="list item")

    # Swipe Beta to the left: its Delete button shows at the row's right end.
    x, y, w, h = j.extents(beta)
    j.drag((x + w - 30, y + h // 2), (x + w - 230, y + h // 2), 0.35)
    delete = j.find("Delete", role="push button")
    dx, dy, dw, dh = j.extents(delete)
    j.check(x + w // 2 < dx + dw // 2 <= x + w and abs((dy + dh // 2) - (y + h // 2)) <= 2,
            f"the Delete button is at {(dx, dy, dw, dh)}, not at the right end of the row {(x, y, w, h)}")
    j.click(delete)
    j.gone("Beta", role="list item")
    j.wait_for(lambda: not (purchases / "beta.m4r").exists(), 5, "the ringtone's file to go")
    with open(catalogue, "rb") as source:
        entries = plistlib.load(source)["Ringtones"]
    j.check(sorted(entries) == ["alpha.m4r", "gamma.m4r"], f"the catalogue holds {sorted(entries)}")

    # A click renames: the alert takes the new name and Return.
    j.click(j.find("Gamma", role="list item"))
    j.find("Rename", role="label")
    j.find(role="text", match=lambda node: node.getState().contains(pyatspi.STATE_FOCUSED))
    j.key("ctrl+a")
    j.type("Glacier")
    j.key("Return")
    j.find("Glacier", role="list item")
    j.find("Alpha", role="list item")
