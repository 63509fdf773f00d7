"""The Home tab's guide pages by clicks on its dots, by the mouse wheel and by the arrow keys."""

from journeylib import Journey

with Journey() as j:
    j.start_tarnik()
    j.click(j.find("Home", role="page tab"))
    j.find("Media Importer", role="label")

    def dots():
        return j.find_all(role="panel", match=lambda node: node.name.startswith("Page ")) \
            or j.find_all(match=lambda node: node.name.startswith("Page ") and " of " in node.name)

    def page():
        found = dots()
        return found[0].name if found else None

    j.wait_for(lambda: page() == "Page 1 of 5", 10, "the guide on its first page")
    control = dots()[0]
    x, y, w, h = j.extents(control)
    # Five dots of 7 px, 9 px apart, in the middle of the control.
    left = x + (w - (5 * 7 + 4 * 9)) / 2

    def dot(index):
        return (round(left + index * 16 + 3.5), y + h // 2)

    j.click(dot(3))
    j.wait_for(lambda: page() == "Page 4 of 5", 5, "a click on the fourth dot to show page 4")
    j.click(dot(1))
    j.wait_for(lambda: page() == "Page 2 of 5", 5, "a click on the second dot to show page 2")
    # The wheel over the slides turns a page a notch.
    middle = j.settled(j.find("Easy To Use", role="label"))
    j.wheel(middle, 1)
    j.wait_for(lambda: page() == "Page 3 of 5", 5, "a wheel notch down to show page 3")
    j.wheel(middle, -1)
    j.wait_for(lambda: page() == "Page 2 of 5", 5, "a wheel notch up to show page 2")

    # With the slides clicked (they take the focus), the arrow keys and End and Home page.
    j.click(middle)
    j.key("Right")
    j.wait_for(lambda: page() == "Page 3 of 5", 5, "Right to show page 3")
    j.key("End")
    j.wait_for(lambda: page() == "Page 5 of 5", 5, "End to show the last page")
    j.find("Thank You", role="label")
    j.key("Left")
    j.wait_for(lambda: page() == "Page 4 of 5", 5, "Left to show page 4")
    j.key("Home")
    j.wait_for(lambda: page() == "Page 1 of 5", 5, "Home to show the first page")
