// A program for the real-terminal tests: takes the terminal with tb_init, draws known
// cells, reports what it sees to a log file and ends on a key.
//
//   term_probe draw LOG     draws the attribute row, waits for a key, exits 0
//   term_probe events LOG   logs every event until the key 'q', redrawing on resizes
//
// Log lines: "ready W H", "resize EW EH W H" (event size, then tb_width/tb_height),
// "key CH KEY", "done"; "init-failed RC" when tb_init fails (exit status 2).

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "term/termbox2.h"

namespace {

int log_fd = -1;

void log_line(const std::string& line) {
    const std::string text = line + "\n";
    if (write(log_fd, text.data(), text.size()) < 0) return;
}

void draw_text(int x, int y, const char* text) {
    for (; *text != '\0'; ++text, ++x)
        tb_set_cell(x, y, static_cast<unsigned char>(*text), 0, 0);
}

// Row 1: B D R V r g, then U+FF8A, 'k', U+250C, 'b' in four adjacent cells.
void draw_attribute_row() {
    tb_set_cell(0, 1, 'B', TB_BOLD, TB_DEFAULT);
    tb_set_cell(2, 1, 'D', TB_DIM, TB_DEFAULT);
    tb_set_cell(4, 1, 'R', TB_REVERSE, TB_DEFAULT);
    tb_set_cell(6, 1, 'V', TB_DEFAULT, TB_REVERSE);
    tb_set_cell(8, 1, 'r', TB_RED, TB_DEFAULT);
    tb_set_cell(10, 1, 'g', TB_GREEN | TB_BRIGHT, TB_DEFAULT);
    tb_set_cell(12, 1, 0xFF8A, TB_DEFAULT, TB_DEFAULT);
    tb_set_cell(13, 1, 'k', TB_DEFAULT, TB_DEFAULT);
    tb_set_cell(14, 1, 0x250C, TB_DEFAULT, TB_DEFAULT);
    tb_set_cell(15, 1, 'b', TB_DEFAULT, TB_DEFAULT);
}

// The size at the top left and a '#' in the bottom right corner.
void draw_size() {
    tb_clear();
    const std::string size =
        "size " + std::to_string(tb_width()) + "x" + std::to_string(tb_height());
    draw_text(0, 0, size.c_str());
    tb_set_cell(tb_width() - 1, tb_height() - 1, '#', TB_DEFAULT, TB_DEFAULT);
    tb_present();
}

void log_key(const tb_event& ev) {
    log_line("key " + std::to_string(ev.ch) + " " + std::to_string(ev.key));
}

int run_draw() {
    tb_clear();
    draw_text(0, 0, "probe-screen");
    draw_attribute_row();
    tb_present();
    log_line("ready " + std::to_string(tb_width()) + " " + std::to_string(tb_height()));
    for (;;) {
        tb_event ev;
        if (tb_peek_event(&ev, 100) == TB_OK && ev.type == TB_EVENT_KEY) {
            log_key(ev);
            return 0;
        }
    }
}

int run_events() {
    draw_size();
    log_line("ready " + std::to_string(tb_width()) + " " + std::to_string(tb_height()));
    for (;;) {
        tb_event ev;
        if (tb_peek_event(&ev, 100) != TB_OK) continue;
        if (ev.type == TB_EVENT_RESIZE) {
            draw_size();
            log_line("resize " + std::to_string(ev.w) + " " + std::to_string(ev.h) + " " +
                     std::to_string(tb_width()) + " " + std::to_string(tb_height()));
        } else if (ev.type == TB_EVENT_KEY) {
            log_key(ev);
            if (ev.ch == 'q') return 0;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 64;
    log_fd = open(argv[2], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0) return 65;
    const int rc = tb_init();
    if (rc != TB_OK) {
        log_line("init-failed " + std::to_string(rc));
        return 2;
    }
    const int status = std::strcmp(argv[1], "events") == 0 ? run_events() : run_draw();
    tb_shutdown();
    log_line("done");
    return status;
}
