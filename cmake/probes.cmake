# Probes the tty interface of the build host instead of guessing in #ifdefs.
include(CheckCXXSourceCompiles)

check_cxx_source_compiles("
#include <asm/termbits.h>
#include <asm/ioctls.h>
int main() { struct termios2 t{}; t.c_cflag = BOTHER; t.c_ispeed = 14400; return TCGETS2 + TCSETS2 + CMSPAR; }
" KIT_HAVE_TERMIOS2)

check_cxx_source_compiles("
#include <linux/serial.h>
#include <sys/ioctl.h>
int main() { struct serial_icounter_struct c{}; return TIOCGICOUNT + c.frame + c.parity + c.brk + c.overrun + c.buf_overrun; }
" KIT_HAVE_TIOCGICOUNT)

check_cxx_source_compiles("
#include <sys/ioctl.h>
int main() { return TIOCMIWAIT; }
" KIT_HAVE_TIOCMIWAIT)

if(NOT KIT_HAVE_TERMIOS2)
  message(FATAL_ERROR "termios2 (TCGETS2/BOTHER) is required for arbitrary line rates")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/kit_config.h.in ${PROJECT_BINARY_DIR}/kit_config.h)
