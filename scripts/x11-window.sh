# Measures X windows with the X server's own tools (xwininfo, xprop); sourced
# by scripts/screenshot and the window geometry test. Every function takes a
# window id and prints x y width height in root coordinates, except
# x_extents.

# The inside of the window, without the window manager's frame.
x_inside() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# The frame extents the window manager set on the window (left right top
# bottom; 0 0 0 0 where none are set).
x_extents() {
  local value
  value=$(xprop -id "$1" _NET_FRAME_EXTENTS)
  case $value in
  *=*) echo "${value#*= }" | tr -d ',' ;;
  *) echo 0 0 0 0 ;;
  esac
}

# The outer geometry: the inside grown by the frame extents.
x_outer() {
  local x y w h l r t b
  read -r x y w h <<<"$(x_inside "$1")"
  read -r l r t b <<<"$(x_extents "$1")"
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}

# The window that holds this one just below the root, border included: the
# frame under a window manager, the window itself without one.
x_toplevel() {
  local id=$1 parent root
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  while :; do
    parent=$(xwininfo -tree -id "$id" | awk '/Parent window id:/ { print $4 }')
    [ "$parent" = "$root" ] && break
    id=$parent
  done
  xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } /Border width:/ { bw = $NF }
    END { print x - bw, y - bw, w + 2 * bw, h + 2 * bw }'
}
