#include "render/frame_loop.h"

#include <thread>

#include "core/log.h"
#include "core/sleep.h"
#include "core/terminal_lock.h"
#include "render/opening.h"
#include "render/styles.h"
#include "term/termbox2.h"

namespace gorv {
namespace {

Status frame_body(RenderState& render) {
    return render.style == Style::rain ? rain_frame(render) : static_frame(render);
}

// One frame: cleared, drawn and presented under the terminal lock, or in debug mode
// drawn as log lines only.
Status draw_frame(RenderState& render) {
    if (render.debug) return frame_body(render);
    std::lock_guard terminal(terminal_lock());
    (void)tb_clear();
    Status drawn = frame_body(render);
    if (drawn) (void)tb_present();
    return drawn;
}

}  // namespace

void run_renderer(RunState& run, RenderState& render) {
    while (run.starting)
        sleep_nanoseconds(frame_step_ns);

    // A run the watcher has already ended (a key, or its own failure) shows no opening.
    if (!render.debug && !render.bare && run.time == 0 && render.running) {
        if (Status shown = show_opening(render); !shown) {
            report_error(shown.error());
            return;
        }
    }
    if (!render.running) return;

    const std::uint32_t delay = frame_delay_ns(render.style, render.speed);
    for (;;) {
        std::unique_lock frame(run.lock);
        render.drawing = true;
        if (run.resizing) {
            render.drawing = false;
            frame.unlock();
            if (!render.running) return;
            std::this_thread::yield();
            continue;
        }
        if (Status drawn = draw_frame(render); !drawn) {
            render.drawing = false;
            frame.unlock();
            report_error(drawn.error());
            return;
        }
        if (render.debug) render.running = false;
        render.drawing = false;
        sleep_nanoseconds(delay);
        frame.unlock();
        if (!render.running) return;
    }
}

}  // namespace gorv
