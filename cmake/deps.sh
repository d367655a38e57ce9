# Installs the Debian packages a build needs when they are missing.
# Sourced by example.sh and test.sh; needs root (or sudo) only when something
# is missing, and works offline once everything is there.

apt_updated=0

korv_apt_install() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  if [ $apt_updated -eq 0 ]; then
    $sudo apt-get update -qq
    apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

korv_native_deps() {
  korv_apt_install cmake make g++ libgtest-dev
}

korv_cross_deps() {
  korv_apt_install g++-mingw-w64-i686 g++-mingw-w64-x86-64
}

# Wine, a virtual display, xdotool, a Japanese font and locale.  The 32-bit
# loader is installed where 32-bit programs run (natively, or through qemu's
# user-mode emulator on kernels built without 32-bit support); where neither
# works the tests run the 64-bit build of the same sources under wine64.
korv_wine_deps() {
  korv_apt_install wine wine64 xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic locales
  if korv_enable_32bit; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      local sudo=""
      if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
      $sudo dpkg --add-architecture i386
      apt_updated=0
    fi
    korv_apt_install wine32:i386
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}

# KiCad (pcbnew and its Python module) for the acceptance test that imports
# the converted netlists into a board.  Only the program itself: its symbol,
# footprint and 3D libraries are not needed, the test writes its own
# footprints.  The display and the key presses come from korv_wine_deps.
# Never fatal: where KiCad cannot be installed the test says so and skips.
korv_kicad_deps() {
  korv_apt_install kicad || echo "(KiCad could not be installed)"
}

# Whether this kernel executes 32-bit x86 programs (some virtual machines'
# kernels are built without that support).
korv_runs_32bit() {
  local probe
  probe="$(mktemp)"
  # A minimal 32-bit ELF that calls exit(0).
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80\x00\x00\x00' >"$probe"
  chmod +x "$probe"
  local ok=1
  "$probe" 2>/dev/null && ok=0
  rm -f "$probe"
  return $ok
}

# Makes this machine run 32-bit x86 programs: natively when the kernel can,
# else by registering qemu's user-mode emulator for them with binfmt_misc
# (root only).  True when 32-bit programs run afterwards.
korv_enable_32bit() {
  korv_runs_32bit && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  korv_apt_install qemu-user-static || return 1
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$misc" 2>/dev/null
  if [ ! -e "$misc/qemu-i386" ] && [ -e "$misc/register" ]; then
    # The kernel decodes the \x escapes of the magic and mask itself.
    printf '%s\n' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
      $sudo tee "$misc/register" >/dev/null 2>&1
  fi
  korv_runs_32bit
}
