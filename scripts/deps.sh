#!/usr/bin/env bash
# Installs every Debian package listed in scripts/packages.txt that is not installed yet.
# Idempotent: with everything present it changes nothing and needs no network.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$here/packages.txt")
# One query for all of them: one dpkg-query a package took seconds.
declare -A installed=()
while read -r pkg status; do
    [[ "$status" == "install ok installed" ]] && installed[$pkg]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${wanted[@]}" 2>/dev/null || true)
missing=()
for pkg in "${wanted[@]}"; do
    [[ -n "${installed[$pkg]:-}" ]] || missing+=("$pkg")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
