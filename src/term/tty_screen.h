#pragma once

// The terminal backing of the layer, on ncursesw. Internal to src/term: the functions of
// termbox2.h call these once they have checked the layer's state.

#include "term/cell_buffers.h"
#include "term/termbox2.h"

namespace term_internal {

// Takes over the controlling terminal and sizes `buffers` to it, all front cells unknown.
// TB_OK; otherwise a negative code (TB_ERR_INIT_OPEN without a usable /dev/tty,
// TB_ERR_NO_TERM when TERM is missing or unusable, TB_ERR_MEM, TB_ERR) and the terminal,
// the locale, the signal dispositions and `buffers` are as they were.
int tty_open(CellBuffers& buffers);

// Gives the terminal back as tty_open found it and undoes everything else tty_open did.
void tty_close();

// Writes the back cells that differ from the front cells, then makes front equal back.
int tty_present(CellBuffers& buffers);

// tb_peek_event on the terminal; *ev is already zeroed.
int tty_peek_event(CellBuffers& buffers, tb_event* ev, int timeout_ms);

// The terminal input descriptor and the read end of the resize pipe.
void tty_fds(int* ttyfd, int* resizefd);

}  // namespace term_internal
