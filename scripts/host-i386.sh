# shellcheck shell=bash
# Sourced: can this machine run 32-bit x86 programs? Some x86-64 kernels are
# built without IA-32 emulation (execve of an i386 binary gives ENOEXEC), and
# Wine's 32-bit half can never start there.
#
#   host_i386   sets HOST_I386 (yes|no) and HOST_I386_WHY, and exports both
#               so that scripts started afterwards ask nothing again.
#
# TORVA_ASSUME_NO_I386=1 makes the answer "no" on any host (to test the path
# that hosts without 32-bit support take).

host_i386() {
  if [ -n "${HOST_I386:-}" ]; then return 0; fi
  if [ "${TORVA_ASSUME_NO_I386:-}" = 1 ]; then
    HOST_I386=no HOST_I386_WHY="TORVA_ASSUME_NO_I386=1 is set"
  else
    # The smallest i386 program there is: an ELF header, one program header
    # and exit(0) through int 0x80. It needs no 32-bit libraries, so the
    # answer is the kernel's even before Debian's i386 packages are installed.
    local dir probe out
    dir=$(mktemp -d "${TMPDIR:-/tmp}/torva-i386.XXXXXX")
    probe="$dir/exit0"
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'\
'\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'\
'\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000'\
'\000\000\000\000'\
'\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'\
'\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000'\
'\270\001\000\000\000\061\333\315\200' >"$probe"
    chmod +x "$probe"
    if out=$("$probe" 2>&1); then
      HOST_I386=yes HOST_I386_WHY="the kernel runs 32-bit x86 programs"
    else
      case $out in
        *"format error"* | *"cannot execute binary"*)
          HOST_I386_WHY="the kernel runs no 32-bit x86 code (an i386 program gives: Exec format error)" ;;
        *) HOST_I386_WHY="an i386 program did not run here (${out:-no message}); taken as no 32-bit support" ;;
      esac
      HOST_I386=no
    fi
    rm -rf "$dir"
  fi
  export HOST_I386 HOST_I386_WHY
}
