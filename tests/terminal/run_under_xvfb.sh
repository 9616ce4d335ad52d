#!/usr/bin/env bash
# The real terminal in a virtual display against vexa-exchange: it comes up online with its
# clock ticking, creates both per-user folders, and ends with status 0 soon after its window
# is closed the way a user closes it.
#   run_under_xvfb.sh QUILLON VEXA_EXCHANGE
set -euo pipefail
quillon=$1
exchange=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/exe"
unset LOCALAPPDATA APPDATA XDG_DATA_HOME XDG_CONFIG_HOME

# A private copy of the executable, so server.json beside it is ours alone.
cp "$quillon" "$work/exe/Quillon"
"$exchange" --port 0 --state-dir "$work/state" --symbols 50 >"$work/exchange.out" 2>&1 &
for _ in $(seq 1 100); do
  grep -q '^vexa-exchange ready: ' "$work/exchange.out" && break
  sleep 0.1
done
ready=$(grep -m1 '^vexa-exchange ready: ' "$work/exchange.out")
url=$(sed -E 's/^vexa-exchange ready: ([^ ]+) ca=.*$/\1/' <<<"$ready")
ca=$(sed -E 's/^.* ca=(.*)$/\1/' <<<"$ready")
printf '{"server":"%s","caFile":"%s"}\r\n' "$url" "$ca" >"$work/exe/server.json"

export WORK="$work"
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
  set -euo pipefail
  openbox >/dev/null 2>&1 &
  sleep 0.5
  "$WORK/exe/Quillon" >"$WORK/quillon.out" 2>&1 &
  app=$!
  for _ in $(seq 1 100); do
    wmctrl -l 2>/dev/null | grep -q "Vexa" && break
    sleep 0.1
  done
  sleep 2.5
  # The status bar is the bottom 20 pixels; the clock panel is green while online.
  import -window root -crop 1280x20+0+700 "$WORK/bar1.png"
  sleep 2.2
  import -window root -crop 1280x20+0+700 "$WORK/bar2.png"
  green=$(convert "$WORK/bar1.png" -fill black +opaque "#00FB9E" -fill white -opaque "#00FB9E" \
          -format "%[fx:mean]" info:)
  echo "green share of the status bar: $green"
  awk -v g="$green" "BEGIN { exit !(g > 0.01) }" || { echo "clock panel is not green"; exit 1; }
  if compare -metric AE "$WORK/bar1.png" "$WORK/bar2.png" null: 2>/dev/null; then
    echo "the clock did not move"; exit 1
  fi
  start=$(date +%s%N)
  wmctrl -c "Vexa"
  status=0
  wait $app || status=$?
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  echo "exit status $status after $elapsed ms"
  [ "$status" -eq 0 ] && [ "$elapsed" -lt 3000 ]
'
test -d "$HOME/.local/share/Norvale/Vexa" || { echo "no local folder"; exit 1; }
test -d "$HOME/.config/Norvale/Vexa" || { echo "no roaming folder"; exit 1; }
echo "both per-user folders exist"
