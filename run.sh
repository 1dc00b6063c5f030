#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts Quorvane. Without a display it shows
# the program working anyway: quorvane-cli judges the sample workbook and prints the results,
# then the program runs on a virtual display, a screenshot of the main window is saved to
# build/screenshot.png and the program is closed again.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)" --target quorvane
APP="$PWD/build/bin/quorvane"

# On a display: a start that ends before its window appears (another copy running, a crash)
# is reported and ends this script with a non-zero status.
if [ -n "${DISPLAY:-}" ]; then
  exec scripts/await-main-window.sh --wait "$APP"
fi
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$APP"
fi

# The command-line judge and the sample files it reads (written at build time).
targets=(quorvane-cli)
if cmake --build build --target help | grep -q '^sample_files:'; then targets+=(sample_files); fi
cmake --build build -j "$(nproc)" --target "${targets[@]}"
SAMPLE="$PWD/build/bin/Sample Files/SampleWorkbook.xlsx"
echo "No display: judging the sample workbook with quorvane-cli."
echo "\$ quorvane-cli judge \"Sample Files/SampleWorkbook.xlsx\""
status=0
"$PWD/build/bin/quorvane-cli" judge "$SAMPLE" || status=$?
case $status in
  0) echo "Exit status 0: every sheet passed all three judgements." ;;
  1) echo "Exit status 1: a judgement failed or gave no result on some sheet (see above)." ;;
  *) echo "Exit status $status: the sample workbook could not be judged." ;;
esac
echo

echo "Starting Quorvane on a virtual display."
export QUORVANE_SCREENSHOT_DELAY=${QUORVANE_SCREENSHOT_DELAY:-3}
# The screenshot is taken only of a window that appeared; a start that ended before (another
# copy running, a crash) ends this script with the reason and a non-zero status.
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  set -e
  started=$("$0/scripts/await-main-window.sh" "$1")
  read -r pid win <<<"$started"
  sleep "$QUORVANE_SCREENSHOT_DELAY" # the sheet painted
  import -window "$win" "$2"
  kill "$pid"
  while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
' "$PWD" "$APP" "$PWD/build/screenshot.png"
echo "Screenshot of the main window saved to build/screenshot.png; the program has been closed."
