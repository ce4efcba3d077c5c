#!/usr/bin/env bash
# Installs what building, running and testing Savorel needs, from Debian's packages only.
# Idempotent: packages already present are not touched, so a second run costs one dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  qt6-translations-l10n # the framework's dialogs and menus in the user's language
  libgl-dev
  nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang-tidy clang libclang-rt-14-dev
  xvfb xauth imagemagick
  poppler-utils # pdftotext: printed pages keep their text
  hunspell hunspell-ro
  fonts-dejavu-core
  locales # the Romanian locale the window tests run under a second time
  valgrind
  coreutils util-linux # sha256sum and flock, which the installer install.exe uses
  file dpkg-dev # CPack's Debian package finds the programs' libraries with these
  libxml2-dev # the HTML parser that reads saved recipe pages on import
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# The window tests run a second time under ro_RO.UTF-8.
ensure_romanian_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'ro_RO.utf8'; then
    "${sudo_cmd[@]}" localedef -i ro_RO -f UTF-8 ro_RO.UTF-8
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_romanian_locale
  exit 0
fi

echo "Installing: ${missing[*]}"
# Through env, since sudo resets the environment: no package may stop to ask a question.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
"${sudo_cmd[@]}" "${apt[@]}" update -qq
"${sudo_cmd[@]}" "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
ensure_romanian_locale
