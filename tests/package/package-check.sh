#!/usr/bin/env bash
# package-check.sh <build folder> <driver plugin folder> <work folder>
#
# 1. The build folder's program prints one cheque to PDF (driven by the quillmatedriver plugin).
# 2. cmake --install into a temporary prefix: the program, help, launcher and icons are where a
#    desktop expects them; the installed program, given --data, prints the same cheque at the same
#    positions, word for word.
# 3. cpack -G DEB: the package holds those files and depends only on run-time packages that this
#    Debian 12 machine's package sources offer.
# 4. The package installed into a temporary root (dpkg --root): started as a launcher starts it, in
#    a folder without a register, it creates its data folder under XDG_DATA_HOME (0700) and prints
#    the cheque; removed again, it leaves no file of its own behind, and the user's data stays.
set -euo pipefail
build=${1:?build folder}
plugins=${2:?plugin folder}
work=${3:?work folder}

fail() { echo "package-check: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/home" "$work/empty"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' CUPS_SERVER="$work/no-cups.sock"
export QT_PLUGIN_PATH="$plugins" QT_QPA_GENERIC_PLUGINS=quillmatedriver

# Runs a program with the driver from folder $1 ($2 = PDF to write, then the program and its
# arguments) and checks that the PDF came out.
drive() {
    local folder=$1 pdf=$2
    shift 2
    (cd "$folder" && QUILLMATE_DRIVER_PDF="$pdf" timeout 120 "$@") || fail "$* ended with status $?"
    [[ -s "$pdf" ]] || fail "$* printed no PDF"
}
# The words of a PDF with their boxes, as pdftotext reads them.
words() { pdftotext -bbox "$1" - | grep '<word'; }

# 1. The build folder's program.
drive "$work/empty" "$work/build.pdf" "$build/quillmate" --data "$work/data-build"
words "$work/build.pdf" > "$work/build.words"
grep -q '>华东机械有限公司<' "$work/build.words" || fail "the payee is not on the build folder's page"
grep -q '>壹仟贰佰叁拾肆元' "$work/build.words" || fail "the capitals are not on the build folder's page"

# 2. cmake --install into a prefix.
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
shipped=(bin/quillmate share/quillmate/help/index.html share/applications/quillmate.desktop
         share/icons/hicolor/scalable/apps/quillmate.svg share/doc/quillmate/README.md)
for size in 16 32 48 64 128 256; do shipped+=("share/icons/hicolor/${size}x${size}/apps/quillmate.png"); done
for f in "${shipped[@]}"; do [[ -f "$prefix/$f" ]] || fail "cmake --install did not install $f"; done
desktop-file-validate "$prefix/share/applications/quillmate.desktop" || fail "the launcher is not a valid desktop entry"
stray=$(find "$prefix" \( -name 'tst_*' -o -name 'bench_*' -o -name '*.a' \) -print -quit)
[[ -z "$stray" ]] || fail "tests or libraries were installed: $stray"
drive "$work/empty" "$work/installed.pdf" "$prefix/bin/quillmate" --data "$work/data-installed"
words "$work/installed.pdf" > "$work/installed.words"
diff -u "$work/build.words" "$work/installed.words" || fail "the installed program prints the cheque elsewhere"
[[ -f "$work/data-installed/pjzp.pdp" ]] || fail "--data did not put the register in the folder given"

# 3. The Debian package.
(cd "$build" && cpack -G DEB -B "$work/deb" > "$work/cpack.log") || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/deb/quillmate_*.deb)
dpkg-deb --contents "$deb" > "$work/contents"
for f in "${shipped[@]}"; do grep -q " \./usr/$f\$" "$work/contents" || fail "the package lacks /usr/$f"; done
depends=$(dpkg-deb -f "$deb" Depends)
[[ -n "$depends" ]] || fail "the package depends on nothing"
echo "Depends: $depends"
while read -r name; do
    [[ -z "$name" ]] && continue
    [[ "$name" == *-dev ]] && fail "the package depends on the build package $name"
    apt-cache show "$name" > /dev/null 2>&1 || fail "the package depends on $name, which Debian 12 does not have"
done < <(tr ',|' '\n\n' <<< "$depends" | sed -E 's/\(.*\)//; s/:any//; s/^ *//; s/ *$//')
for needed in libqt6sql6-sqlite qt6-qpa-plugins fonts-noto-cjk libqt6widgets6 libqt6printsupport6; do
    grep -Eq "(^|, )$needed( |,|$)" <<< "$depends" || fail "the package does not depend on $needed"
done
# A shared register needs the PostgreSQL driver and pg_dump: recommended, so apt brings them.
recommends=$(dpkg-deb -f "$deb" Recommends)
for needed in libqt6sql6-psql postgresql-client; do
    grep -Eq "(^|, )$needed( |,|$)" <<< "$recommends" || fail "the package does not recommend $needed"
    apt-cache show "$needed" > /dev/null 2>&1 || fail "the package recommends $needed, which Debian 12 does not have"
done

# 4. Installed into a temporary root and removed again.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -i "$deb" > "$work/dpkg.log" 2>&1 ||
    { cat "$work/dpkg.log" >&2; fail "dpkg could not install the package"; }
[[ -x "$root/usr/bin/quillmate" ]] || fail "the package did not install the program"
drive "$work/empty" "$work/package.pdf" "$root/usr/bin/quillmate"
words "$work/package.pdf" > "$work/package.words"
diff -u "$work/build.words" "$work/package.words" || fail "the packaged program prints the cheque elsewhere"
data="$XDG_DATA_HOME/quillmate"
[[ -f "$data/pjzp.pdp" ]] || fail "started without --data, the program did not keep its register in $data"
[[ $(stat -c %a "$data") == 700 ]] || fail "the data folder is not the user's alone: $(stat -c %a "$data")"
[[ ! -e "$work/empty/pjzp.pdp" ]] || fail "the register went into the folder the program was started in"
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -P quillmate > "$work/dpkg-remove.log" 2>&1 ||
    { cat "$work/dpkg-remove.log" >&2; fail "dpkg could not remove the package"; }
left=$(find "$root" -path "$root/var" -prune -o \( -type f -o -type l \) -print)
[[ -z "$left" ]] || fail "removing the package left files: $left"
[[ -f "$data/pjzp.pdp" ]] || fail "removing the package removed the user's register"
echo "package-check: ok ($deb)"
