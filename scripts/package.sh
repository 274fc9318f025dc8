#!/usr/bin/env bash
# Makes the Debian package from build/ (run scripts/build.sh first) and checks
# what it would put on a machine: the desktop entry and the metainfo
# validate, lintian finds nothing worse than information, and, unpacked into
# a temporary root, folivant-convert converts the sample with the interpreter
# beside it and the window starts. Leaves the package in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
rm -f build/folivant_*.deb
(cd build && cpack -G DEB) >"$root/cpack.log" 2>&1 || { cat "$root/cpack.log" >&2; exit 1; }
debs=(build/folivant_*.deb)
deb=${debs[0]}
echo "Package: $deb" >&2
dpkg-deb -x "$deb" "$root/fs"
app=fr.quorvex.Folivant
for path in usr/bin/folivant usr/bin/folivant-convert \
            usr/libexec/folivant/folivant usr/libexec/folivant/folivant-convert \
            usr/libexec/folivant/folivant-interpreter \
            usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/folivant.svg \
            usr/share/icons/hicolor/48x48/apps/folivant.png \
            usr/share/man/man1/folivant.1.gz usr/share/man/man1/folivant-convert.1.gz \
            usr/share/doc/folivant/copyright usr/share/doc/folivant/changelog.gz; do
  if [ ! -e "$root/fs/$path" ]; then
    echo "The package lacks /$path" >&2
    exit 1
  fi
done

# The print queue: the server runs the backend as root only when it is
# root's alone (mode 0700); the queue's description, its command and the
# maintainer scripts that add and remove the queue come with it.
backend=$(dpkg-deb -c "$deb" | awk '$6 == "./usr/lib/cups/backend/folivant" {print $1, $2}')
if [ "$backend" != "-rwx------ root/root" ]; then
  echo "The package's /usr/lib/cups/backend/folivant is \"${backend:-missing}\", not mode 0700 root" >&2
  exit 1
fi
for path in usr/share/ppd/folivant/Folivant.ppd usr/sbin/folivant-printer \
            usr/share/man/man8/folivant-printer.8.gz; do
  [ -e "$root/fs/$path" ] || { echo "The package lacks /$path" >&2; exit 1; }
done
cupstestppd -q "$root/fs/usr/share/ppd/folivant/Folivant.ppd"
for script in postinst prerm; do
  dpkg-deb -I "$deb" "$script" | grep -q folivant-printer ||
    { echo "The package's $script does not run folivant-printer" >&2; exit 1; }
done

desktop-file-validate "$root/fs/usr/share/applications/$app.desktop"
appstreamcli validate --no-net "$root/fs/usr/share/metainfo/$app.metainfo.xml"
# Information-level findings are listed in the log; README says why each stays.
status=0
findings=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || status=$?
grep -v 'running with root privileges is not recommended' <<<"$findings" >&2 || true
if [ "$status" -ne 0 ]; then
  echo "lintian finds errors or warnings in $deb" >&2
  exit 1
fi

# The unpacked programs find their interpreter through the links in bin.
mkdir "$root/home"
mkdir -m 700 "$root/run"
export XDG_RUNTIME_DIR="$root/run"
HOME="$root/home" "$root/fs/usr/bin/folivant-convert" -o "$root/sample.pdf" samples/sample.ps \
  >"$root/convert.log" || { cat "$root/convert.log" >&2; exit 1; }
pages=$(qpdf --show-npages "$root/sample.pdf")
echo "Unpacked folivant-convert: samples/sample.ps -> a PDF of $pages page(s)" >&2
HOME="$root/home" QT_QPA_PLATFORM=offscreen FOLIVANT_EXIT_WHEN_SHOWN=1 \
  timeout 60 "$root/fs/usr/bin/folivant" >/dev/null
echo "Unpacked folivant: the window starts" >&2
# Settings of the unpacked window, driven by clicks: never under usr/.
scripts/unpacked-settings.sh "$root/fs"
