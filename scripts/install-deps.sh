#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with, when missing.
# As root it runs apt-get itself; anyone else is told the one line to run.
set -euo pipefail

packages=(
  g++ cmake ninja-build
  zlib1g-dev libicu-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-qpa-plugins libgl-dev
  clang libclang-rt-14-dev
  xvfb xauth dbus-daemon
  locales
)

# Locales the number-format tests group digits with (a dot, a narrow no-break
# space, a Latin-1 no-break space); without them those tests skip.
locales=("de_DE.UTF-8 UTF-8" "fr_FR.UTF-8 UTF-8" "fr_FR ISO-8859-1")

generate_locales() {
  local wanted=() entry
  for entry in "${locales[@]}"; do
    grep -qxF "$entry" /etc/locale.gen 2>/dev/null || wanted+=("$entry")
  done
  if [[ ${#wanted[@]} -gt 0 ]] || ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
    printf '%s\n' "${wanted[@]}" >>/etc/locale.gen
    locale-gen >/dev/null
  fi
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  [[ $(id -u) -eq 0 ]] && generate_locales
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "Keelward needs packages that are not installed. Run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
generate_locales
