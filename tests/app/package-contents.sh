#!/usr/bin/env bash
# The Debian package holds the programs and every file of their desktop integration, none of the
# caches that the system's own packages keep, and names the libraries and plugins it needs.
# Usage: package-contents.sh BUILD_DIR VERSION
set -euo pipefail
build="$1" version="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; exit 1; }
deb="$(ls "$out"/tessella_*.deb)"
[[ "$(basename "$deb")" == tessella_"$version"_*.deb ]] || fail "package file $(basename "$deb")"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "version $(dpkg-deb -f "$deb" Version)"

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for file in usr/bin/tessella usr/bin/tessella-run usr/share/applications/tessella.desktop \
    usr/share/mime/packages/tessella.xml usr/share/icons/hicolor/scalable/apps/tessella.svg \
    usr/share/man/man1/tessella-run.1.gz usr/share/bash-completion/completions/tessella-run \
    usr/share/metainfo/org.marrowindteam.Tessella.metainfo.xml; do
    grep -qx "\./$file" <<<"$contents" || fail "no $file"
done
! grep -E 'mime\.cache|icon-theme\.cache|mimeinfo\.cache|/usr/local/' <<<"$contents" ||
    fail "a cache or a /usr/local path in the package"

depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libqscintilla2-qt6 libodbc2 libodbcinst2 qt6-qpa-plugins libqt6svg6; do
    grep -q "\b$package" <<<"$depends" || fail "does not depend on $package: $depends"
done

dpkg-deb -x "$deb" "$out/root"
gzip -dc "$out/root/usr/share/man/man1/tessella-run.1.gz" | grep -q '^\.TH TESSELLA-RUN 1' ||
    fail "the manual page is not one"
grep -q "version=\"$version\"" "$out/root/usr/share/metainfo/org.marrowindteam.Tessella.metainfo.xml" ||
    fail "the AppStream data name another release"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$out/root/usr/share/metainfo/org.marrowindteam.Tessella.metainfo.xml" ||
        fail "the AppStream data do not validate"
fi
[[ "$("$out/root/usr/bin/tessella-run" --version)" == "tessella-run $version" ]] ||
    fail "the packaged runner gives another version"

((failures == 0)) && echo "package $(basename "$deb") holds what it should"
exit $((failures > 0))
