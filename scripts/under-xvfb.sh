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
