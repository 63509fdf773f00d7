"""A picture tapped in the browser grows out of its cell into the image viewer. A short slow drag
leaves the viewer where it is; a downward fling closes it and the picture is back in its cell; the
Close button and Escape close it too, and the tabs answer afterwards."""

from journeylib import Journey


def magenta(r, g, b):
    return r > 200 and g < 70 and b > 200


with Journey() as j:
    j.ffmpeg("-f", "lavfi", "-i", "color=c=0xff00ff:s=640x480", "-frames:v", "1", j.home / "Harbour.png")
    j.start_tarnik()
    j.click(j.find("Files", role="page tab"))
    def harbour(node):
        return node.name.startswith("Harbour") and node.getRoleName() == "list item"

    cell = j.find(match=harbour)
    cx, cy, cw, ch = j.extents(cell)

    def thumbnail():
        """The picture's box on screen while it is only the row's thumbnail."""
        box = j.frame(scale=2).box(magenta)
        inside = box and box[0] >= cx - 2 and box[1] >= cy - 2 and box[0] + box[2] <= cx + cw + 2 \
            and box[1] + box[3] <= cy + ch + 2
        return box if inside else None

    thumb = j.wait_for(thumbnail, 10, "the picture's thumbnail in its row")

    # Tap: the picture flies from the row to the whole window.
    film = j.start_capture(fps=25, scale=4)
    j.click(cell)
    close = j.find("Close", role="push button")
    j.find("Picture")
    frames = film.stop()
    widths = [b[2] for b in (f.box(magenta) for f in frames) if b]
    full = widths[-1]
    j.check(full > 3 * thumb[2], f"the viewer shows the picture at {full} px wide, its row at {thumb[2]} px")
    between = [w for w in widths if thumb[2] * 1.3 < w < full * 0.85]
    j.check(len(between) >= 2, f"the picture did not grow out of its row: widths {widths}")

    def viewer_open():
        return bool(j.find_all("Close", role="push button"))

    def viewer_closed():
        return not viewer_open() and j.find_all("Home", role="page tab")

    # A slow, short drag released without speed keeps the viewer.
    px, py, pw, ph = j.extents(j.find("Picture"))
    centre = (px + pw // 2, py + ph // 2)
    j.drag(centre, (centre[0], centre[1] + 80), 1.2, hold=0.3)
    def whole_window():
        box = j.frame(scale=4).box(magenta)
        return box and box[2] >= full * 0.9

    j.wait_for(whole_window, 10, "the picture to settle back after a short slow drag")
    j.wait_for(viewer_open, 5, "the viewer to stay open after a short slow drag")

    # A downward fling closes it, and the picture is in its row again.
    j.fling(centre, (centre[0], centre[1] + 200))
    j.wait_for(viewer_closed, 10, "a downward fling to close the viewer")
    j.wait_for(thumbnail, 10, "the picture back in its row after the fling")

    # Opened again, the Close button closes it, and so does Escape; the tabs answer.
    j.click(cell)
    j.click(j.find("Close", role="push button"))
    j.wait_for(viewer_closed, 10, "the Close button to close the viewer")
    j.click(cell)
    j.find("Close", role="push button")
    j.key("Escape")
    j.wait_for(viewer_closed, 10, "Escape to close the viewer")
    j.click(j.find("Home", role="page tab"))
    j.wait_for(lambda: not j.find_all(match=harbour), 10, "the Home tab to replace the browser")
    j.click(j.find("Files", role="page tab"))
    j.wait_for(thumbnail, 10, "the browser back under the Files tab")
