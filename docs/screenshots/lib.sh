# Shared by the take-*.sh scripts (sourced from the repository's root).

# Runs the calling script again inside a fresh Xvfb screen of the given size
# (WIDTHxHEIGHT), unless it already runs inside one.
run_in_xvfb() {
  local size=$1
  shift
  if [ -z "${INSIDE_XVFB:-}" ]; then
    exec env INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 ${size}x24" "$@"
  fi
}

# Points HOME and the XDG folders into a temporary folder ($tmp) that is
# removed on exit, so a screenshot never reads or writes the user's own files.
use_throwaway_home() {
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir -p "$tmp"/{home,data,cache,config,runtime}
  chmod 700 "$tmp/runtime"
  export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
  export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
}

# The screen the app's own pictures are taken on: a desktop monitor, so the
# app opens at the size a user's first start gives it.
desktop_screen=1280x1024

# Prints "WIDTH HEIGHT X Y" of the top-level window titled $1 (through Xlib
# with Python's ctypes, so nothing beyond Xvfb is needed); waits up to 10 s
# for it to appear.
window_geometry() {
  python3 - "$1" <<'PY'
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong)] + \
    [ctypes.POINTER(ctypes.c_int)] * 2 + [ctypes.POINTER(ctypes.c_uint)] * 4
class Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]
display = ctypes.c_void_p(x11.XOpenDisplay(None))
root = x11.XDefaultRootWindow(display)
deadline = time.time() + 10
while True:
    r, p, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
    children = ctypes.POINTER(ctypes.c_ulong)()
    x11.XQueryTree(display, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(children), ctypes.byref(n))
    for i in range(n.value):
        name = ctypes.c_char_p()
        a = Attributes()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value == sys.argv[1].encode() \
                and x11.XGetWindowAttributes(display, children[i], ctypes.byref(a)) and a.map_state == 2:
            print(a.width, a.height, a.x, a.y)
            sys.exit(0)
    if time.time() > deadline:
        sys.exit("no window titled " + sys.argv[1])
    time.sleep(0.2)
PY
}

# Resizes the top-level window titled $1 to $2 x $3, as a user's drag of its corner does.
resize_window() {
  python3 - "$1" "$2" "$3" <<'PY'
import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
display = ctypes.c_void_p(x11.XOpenDisplay(None))
root = x11.XDefaultRootWindow(display)
r, p, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
children = ctypes.POINTER(ctypes.c_ulong)()
x11.XQueryTree(display, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(children), ctypes.byref(n))
for i in range(n.value):
    name = ctypes.c_char_p()
    if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value == sys.argv[1].encode():
        x11.XResizeWindow(display, children[i], int(sys.argv[2]), int(sys.argv[3]))
x11.XFlush(display)
x11.XSync(display, 0)
PY
}

# Writes the picture of the top-level window titled $1 to $2.
grab_window() {
  local w h x y
  read -r w h x y < <(window_geometry "$1")
  ffmpeg -hide_banner -loglevel error -y -f x11grab -draw_mouse 0 -video_size "${w}x${h}" \
    -i "$DISPLAY+$x,$y" -frames:v 1 "$2"
}
