#!/usr/bin/env bash
# Checks in a real browser that the links of the example site lead
# somewhere: builds a fresh copy of the site, then three times clears and
# builds it again, and after every build and every clearing run loads each
# page in headless Chromium and follows each of its local links (TOC,
# breadcrumbs, page links, heading links, the author's own): the target file
# must load, and a fragment must make the browser find its target element
# (:target). After each run `vorn1 -links` must agree.
#
#   tools/browser-link-check.sh [build-dir]        (default: build)
#
# Needs chromium (apt-get install chromium); exits 77 without it, so that a
# test can count the run as skipped. Exit 0: every link leads somewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed (apt-get install chromium): browser check skipped"
  exit 77
fi
[ -x "$build/vorn1" ] || { echo "no $build/vorn1: build it first" >&2; exit 2; }

work=$(mktemp -d /tmp/orvane-browser-XXXXXX)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
cp -r examples "$work/example"
cp -r "$build/vtdata" "$work/vtdata"
site="$work/example"
failed=0

# Loads every page of the site in the browser and follows its local links;
# prints one line per dead link and a summary.
browser_check() {
  local pages=()
  while IFS= read -r -d '' page; do
    pages+=("\"file://$(printf '%s' "$page" | sed 's/ /%20/g')\"")
  done < <(find "$site" -name '*.html' -print0 | sort -z)
  local list
  list=$(IFS=,; echo "${pages[*]}")
  cat > "$work/driver.html" << EOF
<!DOCTYPE html><meta charset="utf-8"><body><pre id="out"></pre>
<script>
const pages = [$list];
function load(url) {
  return new Promise(done => {
    const frame = document.createElement('iframe');
    frame.onload = () => done(frame);
    frame.src = url;
    document.body.appendChild(frame);
  });
}
function documentOf(frame) {
  try { return frame.contentDocument; } catch (e) { return null; }
}
async function run() {
  const lines = [];
  let followed = 0, dead = 0;
  for (const page of pages) {
    const frame = await load(page);
    const doc = documentOf(frame);
    if (!doc || !doc.URL.startsWith('file:')) { lines.push('@@UNREADABLE ' + page); ++dead; continue; }
    const links = [...doc.querySelectorAll('a[href], area[href], link[href]')]
        .map(a => ({url: a.href, written: a.getAttribute('href')}));
    frame.remove();
    for (const link of links) {
      if (new URL(link.url).protocol !== 'file:') continue;
      ++followed;
      const target = await load(link.url);
      const found = documentOf(target);
      const wanted = new URL(link.url);
      let ok = !!found && found.URL.startsWith('file:') &&
               found.URL.split('#')[0] === link.url.split('#')[0];
      const fragment = wanted.hash.slice(1);
      if (ok && fragment !== '' && fragment.toLowerCase() !== 'top')
        ok = found.querySelector(':target') !== null;
      if (!ok) { lines.push('@@DEAD ' + decodeURI(page.slice(7)) + ' ' + link.written); ++dead; }
      target.remove();
    }
  }
  lines.push('@@FOLLOWED ' + followed + ' DEAD ' + dead);
  document.getElementById('out').textContent = lines.join('\n');
}
run();
</script>
EOF
  rm -rf "$work/profile"
  "$browser" --headless --no-sandbox --disable-gpu --disable-background-networking \
    --no-first-run --user-data-dir="$work/profile" --allow-file-access-from-files \
    --disable-web-security --virtual-time-budget=600000 \
    --dump-dom "file://$work/driver.html" 2>/dev/null |
    sed 's/<pre id="out">/\n/; s/<\/pre>/\n/' | sed -n 's/^@@//p' > "$work/result.txt" || true
  local summary
  summary=$(grep '^FOLLOWED' "$work/result.txt" || echo "FOLLOWED ? DEAD ?")
  grep -E '^(DEAD|UNREADABLE)' "$work/result.txt" | sed "s|$site/||" || true
  echo "  browser: $summary"
  [ "$summary" != "${summary% DEAD 0}" ] && [ "$summary" != "FOLLOWED 0 DEAD 0" ] || failed=1
}

# Runs vorn1 in the site; the link check must find nothing.
run() {
  (cd "$site" && "$build/vorn1" "$@" project.txt) | tr -d '\r' | sed -n '2,$p' | sed 's/^/  /'
}

links_check() {
  local report
  report=$(cd "$site" && "$build/vorn1" -links project.txt | tr -d '\r' | sed -n '2,$p') || failed=1
  echo "  vorn1 -links: $report"
}

echo "First build:"
run -command
browser_check
links_check
for round in ${ROUNDS:-1 2 3}; do
  echo "Round $round, cleared:"
  run -clear
  browser_check
  links_check
  echo "Round $round, built again:"
  run -command
  browser_check
  links_check
done
if [ "$failed" -ne 0 ]; then
  echo "A link leads nowhere."
  exit 1
fi
echo "Every link leads somewhere."
