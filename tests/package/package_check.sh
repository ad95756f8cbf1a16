#!/usr/bin/env bash
# The install and the Debian package as a user meets them: an installed copy's first start,
# the validators on the desktop entries and metadata, lintian and the package's contents.
# Arguments: the source folder and the build folder.
set -euo pipefail
src=$1 build=$2
tmp=$(mktemp -d)
trap 'kill "${qb_pid:-}" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Install into a prefix the build was not configured for.
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/Quillbox bin/Tapscope bin/QuillboxCards share/applications/org.fennecs.QuillboxCards.desktop share/quillbox/Quillbox.html share/applications/org.fennecs.Tapscope.desktop share/quillbox/sample.vlw share/applications/org.fennecs.Quillbox.desktop \
         share/metainfo/org.fennecs.Quillbox.metainfo.xml share/icons/hicolor/scalable/apps/org.fennecs.Quillbox.svg \
         share/icons/hicolor/48x48/apps/org.fennecs.Quillbox.png share/doc/quillbox/copyright \
         share/man/man1/Quillbox.1.gz share/man/man1/Tapscope.1.gz share/man/man1/QuillboxCards.1.gz \
         share/man/ja/man1/Quillbox.1.gz share/metainfo/org.fennecs.Quillbox.Dictionary.metainfo.xml; do
  [ -e "$tmp/prefix/$f" ] || fail "not installed: $f"
done
find "$tmp/prefix" -name quillbox_dic.so | grep -q . || fail "the dictionary plugin is not installed"
desktop-file-validate "$tmp"/prefix/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$tmp"/prefix/share/metainfo/*.xml || fail "appstreamcli validate"

# Each manual page renders without a warning and names every option its program's --help lists.
for page in $(find "$tmp/prefix/share/man" -name '*.1.gz'); do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
done
for program in Quillbox Tapscope QuillboxCards; do
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$tmp/prefix/share/man/man1/$program.1.gz" 2>/dev/null)
  for option in $("$tmp/prefix/bin/$program" --help | grep -oE -- '(^|[^a-z])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$rendered" || fail "the manual page of $program lacks $option"
  done
done

# First start of the installed copy: the sample becomes the card file, once.
export XDG_CONFIG_HOME=$tmp/cfg XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
"$tmp/prefix/bin/Quillbox" & qb_pid=$!
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Quillbox with VLM' >/dev/null 2>&1 && break; sleep 0.2; done
xdotool search --onlyvisible --name '^Quillbox with VLM' >/dev/null || fail "installed Quillbox shows no window"
cmp "$tmp/prefix/share/quillbox/sample.vlw" "$XDG_CONFIG_HOME/Quillbox/QuillboxData.vlw" || fail "sample not copied"
"$tmp/prefix/bin/Quillbox" --quit
wait "$qb_pid" || fail "installed Quillbox did not end cleanly"
grep -a -q "^TXTFile = $XDG_CONFIG_HOME/Quillbox/QuillboxData.vlw" "$XDG_CONFIG_HOME/Quillbox/Quillbox.ini" ||
  fail "the copied sample is not the card file"
groups=$("$tmp/prefix/bin/Quillbox" --print-memo "$XDG_CONFIG_HOME/Quillbox/QuillboxData.vlw" | grep -c '"name"' || true)
[ "$groups" -gt 0 ] || fail "the copied sample has no groups"
rm "$XDG_CONFIG_HOME/Quillbox/QuillboxData.vlw"
"$tmp/prefix/bin/Quillbox" & qb_pid=$!
sleep 2
"$tmp/prefix/bin/Quillbox" --quit
wait "$qb_pid" || true
[ ! -e "$XDG_CONFIG_HOME/Quillbox/QuillboxData.vlw" ] || fail "the sample was copied again"

# The packages: the programs, and the dictionary windows with the web engine apart.
(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null) || fail "cpack"
deb=$(ls "$tmp"/deb/quillbox_*.deb)
dic=$(ls "$tmp"/deb/quillbox-dictionary_*.deb)
for package in "$deb" "$dic"; do
  tags=$(lintian --fail-on error --tag-display-limit 0 "$package") || fail "lintian reports errors: $tags"
  ! grep -q 'no-manual-page' <<<"$tags" || fail "lintian misses a manual page: $tags"
done
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/Quillbox ./usr/bin/Tapscope ./usr/bin/QuillboxCards ./usr/share/applications/org.fennecs.Quillbox.desktop \
         ./usr/share/metainfo/org.fennecs.Quillbox.metainfo.xml ./usr/share/icons/hicolor/256x256/apps/org.fennecs.Quillbox.png \
         ./usr/share/quillbox/sample.vlw ./usr/share/doc/quillbox/copyright ./usr/share/doc/quillbox/changelog.gz \
         ./usr/share/man/man1/Quillbox.1.gz ./usr/share/man/man1/Tapscope.1.gz ./usr/share/man/man1/QuillboxCards.1.gz \
         ./usr/share/man/ja/man1/Quillbox.1.gz; do
  grep -q " $f\$" <<<"$contents" || fail "not in the package: $f"
done
! grep -q '/quillbox_dic.so$' <<<"$contents" || fail "the dictionary plugin is in the base package"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libx11-6 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
! grep -q webengine <<<"$depends" || fail "the base package depends on the web engine: $depends"
grep -q quillbox-dictionary <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "the base package does not recommend the dictionary"
dic_contents=$(dpkg-deb -c "$dic")
for f in ./usr/share/doc/quillbox-dictionary/copyright ./usr/share/metainfo/org.fennecs.Quillbox.Dictionary.metainfo.xml; do
  grep -q " $f\$" <<<"$dic_contents" || fail "not in the dictionary package: $f"
done
grep -q '/quillbox_dic.so$' <<<"$dic_contents" || fail "the dictionary plugin is not in its package"
dic_depends=$(dpkg-deb -f "$dic" Depends)
for d in "quillbox (= $(dpkg-deb -f "$deb" Version))" libqt6webenginewidgets6 libqt6webenginecore6-bin; do
  grep -qF "$d" <<<"$dic_depends" || fail "the dictionary package's Depends lacks $d: $dic_depends"
done
dpkg-deb -x "$deb" "$tmp/unpacked"
file "$tmp/unpacked/usr/bin/Quillbox" | grep -q ", stripped" || fail "Quillbox is not stripped"
echo "package check passed: $(basename "$deb") $(basename "$dic")"
