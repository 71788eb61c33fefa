#pragma once

// libvterm, an independent terminal emulator (the one of Neovim and Emacs' vterm), as a test
// screen: fed the bytes a terminal receives, it tells how each cell looks, how many lines
// the bytes scrolled off the top, and where synchronized updates begin and end.

#include <vterm.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace gorv::testing {

// How a cell looks on a screen.
struct Look {
    std::uint32_t ch = ' ';
    int fg = -1;  // an ANSI colour index, or -1 for the default colour
    int bg = -1;
    bool bold = false;
    bool dim = false;
    bool underline = false;
    bool italic = false;
    bool blink = false;
    bool reverse = false;
};

inline std::string describe(const Look& look) {
    return "U+" + std::to_string(look.ch) + " fg " + std::to_string(look.fg) + " bg " +
           std::to_string(look.bg) + (look.bold ? " bold" : "") + (look.dim ? " dim" : "") +
           (look.underline ? " underline" : "") + (look.italic ? " italic" : "") +
           (look.blink ? " blink" : "") + (look.reverse ? " reverse" : "");
}

// Whether two looks show the same: on a blank without reverse video only the background
// and the underline are seen. Dim is compared only with `dim_shown` (libvterm has no dim).
inline bool shows_same(const Look& a, const Look& b, bool dim_shown) {
    const bool blank = a.ch == ' ' && b.ch == ' ';
    if (blank && !a.reverse && !b.reverse) return a.bg == b.bg && a.underline == b.underline;
    return a.ch == b.ch && a.fg == b.fg && a.bg == b.bg && a.bold == b.bold &&
           (!dim_shown || a.dim == b.dim) && a.underline == b.underline && a.italic == b.italic &&
           a.blink == b.blink && a.reverse == b.reverse;
}

// libvterm with the alternate screen off, so that every line that scrolls off the top is
// counted; it follows where frames begin and end in what it is fed.
class Emulator {
  public:
    Emulator(int w, int h) : vt_(vterm_new(h, w)) {
        vterm_set_utf8(vt_, 1);
        screen_ = vterm_obtain_screen(vt_);
        // Lines also leave the top when the emulator shrinks: only those that bytes push
        // off count.
        callbacks_.sb_pushline = [](int, const VTermScreenCell*, void* self) {
            auto* emulator = static_cast<Emulator*>(self);
            if (emulator->feeding_) ++emulator->scrolled_;
            return 1;
        };
        vterm_screen_set_callbacks(screen_, &callbacks_, this);
        vterm_screen_enable_altscreen(screen_, 0);
        vterm_screen_reset(screen_, 1);
    }
    ~Emulator() { vterm_free(vt_); }
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    void feed(const std::string& bytes) {
        for (const char byte : bytes) {
            std::copy(window_ + 1, window_ + sizeof window_, window_);
            window_[sizeof window_ - 1] = byte;
            const std::string_view seen(window_, sizeof window_);
            if (seen == "\x1b[?2026h") {
                ++begun_;
            } else if (seen == "\x1b[?2026l") {
                ++ended_;
            } else if (byte == '\x18') {
                ++cancels_;
            }
        }
        feeding_ = true;
        vterm_input_write(vt_, bytes.data(), bytes.size());
        feeding_ = false;
    }

    void resize(int w, int h) { vterm_set_size(vt_, h, w); }

    Look look(int x, int y) const {
        VTermScreenCell cell{};
        vterm_screen_get_cell(screen_, VTermPos{y, x}, &cell);
        Look look;
        look.ch = cell.chars[0] == 0 ? ' ' : cell.chars[0];
        auto colour = [](const VTermColor& c, bool is_default) {
            return is_default || !VTERM_COLOR_IS_INDEXED(&c) ? -1 : static_cast<int>(c.indexed.idx);
        };
        look.fg = colour(cell.fg, VTERM_COLOR_IS_DEFAULT_FG(&cell.fg));
        look.bg = colour(cell.bg, VTERM_COLOR_IS_DEFAULT_BG(&cell.bg));
        look.bold = cell.attrs.bold != 0;
        look.underline = cell.attrs.underline != 0;
        look.italic = cell.attrs.italic != 0;
        look.blink = cell.attrs.blink != 0;
        look.reverse = cell.attrs.reverse != 0;
        return look;
    }

    int ended() const { return ended_; }
    int begun() const { return begun_; }
    int cancels() const { return cancels_; }
    int scrolled() const { return scrolled_; }

  private:
    VTerm* vt_;
    VTermScreen* screen_ = nullptr;
    VTermScreenCallbacks callbacks_{};
    char window_[8]{};  // the last bytes fed, to find the update markers
    bool feeding_ = false;
    int begun_ = 0;
    int ended_ = 0;
    int cancels_ = 0;
    int scrolled_ = 0;
};

}  // namespace gorv::testing
