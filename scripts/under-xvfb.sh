# Sourced by the picture scripts, with the screen size (WIDTHxHEIGHT) as its
# argument: runs the calling script again under Xvfb (installing openbox and
# xdotool where missing); there it starts openbox, whose pid is left in $wm.
if [ -z "${QUELO_UNDER_XVFB:-}" ]; then
  for p in openbox xdotool; do command -v $p >/dev/null || apt-get install -y -qq $p >/dev/null; done
  QUELO_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 ${1}x24" "$0"
fi
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Waits up to 30 s for a visible window of process $1 whose title matches the
# pattern $2 (any title without it); its id is left in $wid.
wait_for_window() {
  wid=
  for _ in $(seq 1 300); do
    wid=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$wid" ]; then
      case "$(xdotool getwindowname "$wid")" in ${2:-*}) return 0 ;; esac
    fi
    sleep 0.1
  done
}
