#!/usr/bin/env bash
# The production on a 1920 x 1080 desktop (Xvfb), with a window manager
# (openbox, as a desktop has one) and without one (a kiosk, a bare X session):
# - full screen, the picture fills 1440 x 1080 in the middle (x = 240), its
#   non-black box measured on screenshots (within 2 pixels), and the screen
#   keeps its size;
# - --window gives a 640 x 480 window; resized to 1280 x 720 the picture fills
#   960 x 720 of it, centred;
# - Escape ends it with status 0.
#   tests/package/ecran_bureau.sh PROGRAM [SHOTS_FOLDER]
set -uo pipefail

programme=$(readlink -f "$1")
sortie=${2:-$(dirname "$programme")/ecran}
if [ -z "${ECRAN_DANS_XVFB:-}" ]; then
  for outil in xvfb-run openbox xdotool import convert xdpyinfo; do
    command -v "$outil" >/dev/null || { echo "ecran_bureau: $outil is missing (scripts/install-deps installs it)"; exit 1; }
  done
  mkdir -p "$sortie"
  echec=0
  for cas in avec sans; do
    ECRAN_DANS_XVFB=$cas xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$0" "$programme" "$sortie" || echec=1
  done
  [ "$echec" -eq 0 ] && echo "ecran_bureau: 1 passed, 0 failed" || echo "ecran_bureau: 0 passed, 1 failed"
  exit "$echec"
fi

cas=$ECRAN_DANS_XVFB
echec=0
echoue() { echo "ecran_bureau [$cas window manager]: FAILED: $*"; echec=1; }
export SDL_AUDIODRIVER=dummy
wm=""
if [ "$cas" = avec ]; then
  openbox >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  # openbox names itself a little before it manages windows: a window mapped
  # in between is never shown (SDL then waits for it forever).
  sleep 1
fi
trap '[ -n "$wm" ] && kill $wm 2>/dev/null' EXIT
ecran=$(xdpyinfo | awk '/dimensions:/ {print $2}')

# The non-black box of a picture, as WxH+X+Y.
boite() { convert "$1" -threshold 1% -format '%@' info: 2>/dev/null; }
# The union of two boxes (an empty one is "").
union() {
  [ -z "$1" ] && { echo "$2"; return; }
  [ -z "$2" ] && { echo "$1"; return; }
  awk -v a="$1" -v b="$2" 'BEGIN {
    split(a, p, /[x+]/); split(b, q, /[x+]/)
    x0 = p[3] < q[3] ? p[3] : q[3]; y0 = p[4] < q[4] ? p[4] : q[4]
    x1 = p[3] + p[1] > q[3] + q[1] ? p[3] + p[1] : q[3] + q[1]
    y1 = p[4] + p[2] > q[4] + q[2] ? p[4] + p[2] : q[4] + q[2]
    printf "%dx%d+%d+%d\n", x1 - x0, y1 - y0, x0, y0 }'
}
# Whether box $1 is box $2 within 2 pixels on every figure.
proche() {
  awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, p, /[x+]/); split(b, q, /[x+]/)
    if (n != 4) exit 1
    for (i = 1; i <= 4; i++) if (p[i] - q[i] > 2 || q[i] - p[i] > 2) exit 1 }'
}
# Screenshots of window $1 (root: the whole screen) every second until their
# boxes' union is $2, for at most $3 seconds; prints the union. The scenes
# leave black areas, but over a few seconds the picture reaches its four edges.
mesure() {
  local fenetre=$1 attendu=$2 duree=$3 tout="" b i
  for i in $(seq "$duree"); do
    sleep 1
    import -window "$fenetre" "$sortie/$nom.png" 2>/dev/null || continue
    b=$(boite "$sortie/$nom.png")
    [[ "$b" == 0x0* ]] && b=""
    tout=$(union "$tout" "$b")
    proche "$tout" "$attendu" && break
  done
  echo "$tout"
}
fenetre_kazzmot() {
  local w
  for _ in $(seq 100); do
    w=$(xdotool search --name '^Kazzmot$' 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}
# Escape, then the program's status in $statut (124: it did not end).
finit() {
  statut=0
  xdotool key Escape
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  if kill "$1" 2>/dev/null; then
    wait "$1"
    statut=124
    return
  fi
  wait "$1" || statut=$?
}

# --- Full screen.
nom="plein-ecran-1920x1080-$cas-wm"
"$programme" &
p=$!
vu=$(mesure root 1440x1080+240+0 25)
apres=$(xdpyinfo | awk '/dimensions:/ {print $2}')
if [ "$cas" = avec ]; then
  # As Alt-Tab: the focus to another program's window for 2 s, then back. That
  # window shows above the production, which plays on (its picture changes).
  xmessage -geometry 400x100+760+490 "another program" &
  autre=$!
  x=""
  for _ in $(seq 50); do x=$(xdotool search --name '^xmessage$' 2>/dev/null | tail -1); [ -n "$x" ] && break; sleep 0.1; done
  k=$(fenetre_kazzmot)
  import -window root "$sortie/avant-focus.png" 2>/dev/null
  [ -n "$x" ] && xdotool windowactivate --sync "$x" 2>/dev/null
  sleep 2
  import -window root "$sortie/focus-ailleurs.png" 2>/dev/null
  dessus=under
  xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | awk -v x="$(printf '0x%x' "${x:-0}")" \
    -v k="$(printf '0x%x' "${k:-0}")" '{ for (i = 5; i <= NF; i++) { if ($i == k) pk = i; if ($i == x) px = i } }
    END { exit !(px > pk) }' && dessus=above
  change=$(compare -metric AE -fuzz 1% "$sortie/avant-focus.png" "$sortie/focus-ailleurs.png" null: 2>&1 || true)
  kill $autre 2>/dev/null; wait $autre 2>/dev/null
  [ -n "$k" ] && xdotool windowactivate --sync "$k" 2>/dev/null
  revenu=$(xdotool getactivewindow getwindowname 2>/dev/null)
  echo "ecran_bureau [$cas window manager]: focus elsewhere: the other window $dessus, $change pixels changed in 2 s, focus back to $revenu"
  [ "$dessus" = above ] || echoue "the window given the focus stays under the production"
  awk -v c="${change%% *}" 'BEGIN { exit !(c + 0 > 100000) }' || echoue "with the focus elsewhere the picture stood still ($change pixels changed)"
  [ "$revenu" = Kazzmot ] || echoue "the focus could not be given back to the production ($revenu has it)"
fi
finit $p
echo "ecran_bureau [$cas window manager]: full screen: picture $vu on a $ecran screen ($apres after), Escape: status $statut"
proche "$vu" 1440x1080+240+0 || echoue "full screen shows the picture at $vu, 1440x1080+240+0 expected"
[ "$apres" = 1920x1080 ] || echoue "the screen is $apres while the production plays, 1920x1080 expected"
[ "$statut" = 0 ] || echoue "Escape ended the full screen with status $statut"

# --- A window; with a window manager, resized.
nom="fenetre-640x480-$cas-wm"
"$programme" --window &
p=$!
w=$(fenetre_kazzmot)
if [ -z "$w" ]; then
  echoue "no window named Kazzmot with --window"
  kill $p
else
  taille=$(xdotool getwindowgeometry "$w" | awk '/Geometry:/ {print $2}')
  vu=$(mesure "$w" 640x480+0+0 25)
  echo "ecran_bureau [$cas window manager]: --window: a $taille window, picture $vu in it"
  [ "$taille" = 640x480 ] || echoue "--window gives a $taille window, 640x480 expected"
  proche "$vu" 640x480+0+0 || echoue "the window shows the picture at $vu, 640x480+0+0 expected"
  if [ "$cas" = avec ]; then
    nom="fenetre-1280x720-$cas-wm"
    xdotool windowsize "$w" 1280 720
    sleep 1
    taille=$(xdotool getwindowgeometry "$w" | awk '/Geometry:/ {print $2}')
    vu=$(mesure "$w" 960x720+160+0 15)
    echo "ecran_bureau [$cas window manager]: resized to $taille, picture $vu in it"
    proche "$vu" 960x720+160+0 || echoue "the resized window shows the picture at $vu, 960x720+160+0 expected"
  fi
  finit $p
  [ "$statut" = 0 ] || echoue "Escape ended the window with status $statut"
fi
exit "$echec"
