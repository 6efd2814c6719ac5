# Shared by the writer fault tests: runs zelvo-batch's writers one at a time
# against a fault the caller sets up, and checks that each is reported with
# the file's name and the system's reason, fails the run, and leaves the
# earlier file of that name as it was.
# Needs: BATCH (zelvo-batch), EXAMPLES (the examples folder), WORK (a folder
# holding good.dat, a result file, and small.dat, a small survey), and
# run_faulted, which runs its arguments under the fault.

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# expect_refused NAME REASON COMMAND...: the run fails (status 1, no
# signal) and says which file could not be written and why.
expect_refused() {
  local name=$1 reason=$2
  shift 2
  local status=0
  run_faulted "$@" >"$WORK/stdout" 2>"$WORK/stderr" || status=$?
  if [ "$status" -ne 1 ]; then
    fail "$* ended with status $status, not 1: $(cat "$WORK/stderr")"
  elif ! grep -qF "$name" "$WORK/stderr" || ! grep -qE "$reason" "$WORK/stderr"; then
    fail "$* did not name $name and the reason /$reason/: $(cat "$WORK/stderr")"
  fi
}

# expect_kept FILE...: each still holds the words an earlier run left there.
expect_kept() {
  local file
  for file in "$@"; do
    [ "$(cat "$file" 2>/dev/null)" = "earlier $file" ] || fail "$file was damaged"
  done
}

planted=()
plant() {
  local file
  for file in "$@"; do
    planted+=("$file")
    mkdir -p "$(dirname "$file")"
    echo "earlier $file" >"$file"
  done
}

# No temporary file of a writer may be left behind: the folder (the current
# one) holds what was planted there and nothing else.
expect_no_leftovers() {
  local left
  left=$(comm -23 <(find . -type f | sed 's|^\./||' | sort) <(printf '%s\n' "${planted[@]}" | sort))
  [ -z "$left" ] || fail "left behind in $PWD: $left"
}

check_every_writer() {
  local out=$1 reason=$2
  local stem=_r=60_iter=0_object=rga
  cd "$out"
  local format
  for format in bmp png jpg; do
    plant "pics/quantity$stem.$format"
    expect_refused "pics/quantity$stem.$format" "$reason" \
      "$BATCH" -q --load "$WORK/good.dat" --preview pics --image-format "$format"
    expect_kept "pics/quantity$stem.$format"
  done
  plant "grids/hgq$stem.tif" "grids/hgq$stem.asc"
  expect_refused "grids/hgq$stem.tif" "$reason" \
    "$BATCH" -q --load "$WORK/good.dat" --grid-out grids --grid-variables hgq
  expect_refused "grids/hgq$stem.asc" "$reason|disk full" \
    "$BATCH" -q --load "$WORK/good.dat" --grid-out grids --grid-variables hgq --grid-format AAIGrid
  expect_kept "grids/hgq$stem.tif" "grids/hgq$stem.asc"
  for format in csv gpkg geojson fgb; do
    plant "points.$format"
    expect_refused "points.$format" "$reason|I/O" "$BATCH" -q --load "$WORK/good.dat" --points-out "points.$format"
    expect_kept "points.$format"
  done
  plant "maps/hgq$stem.png"
  expect_refused "maps/hgq$stem.png" "$reason" \
    "$BATCH" -q --load "$WORK/good.dat" --map maps --grid-variables hgq --map-width 400
  expect_kept "maps/hgq$stem.png"
  expect_no_leftovers
  cd "$WORK"
}
