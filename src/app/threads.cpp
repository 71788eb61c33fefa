#include "app/threads.h"

#include <cerrno>
#include <memory>
#include <new>

namespace gorv {
namespace {

struct ThreadArguments {
    ThreadBody body;
    RunState* run;
    RenderState* render;
};

void* thread_main(void* opaque) {
    const std::unique_ptr<ThreadArguments> arguments(static_cast<ThreadArguments*>(opaque));
    arguments->body(*arguments->run, *arguments->render);
    return nullptr;
}

struct Attributes {
    pthread_attr_t value;
    bool ready = false;
    ~Attributes() {
        if (ready) pthread_attr_destroy(&value);
    }
};

}  // namespace

Result<pthread_t> start_thread(ThreadBody body, RunState& run, RenderState& render) {
    std::unique_ptr<ThreadArguments> arguments(new (std::nothrow)
                                                   ThreadArguments{body, &run, &render});
    if (!arguments) return std::unexpected(Error::OutOfMemory);

    Attributes attributes;
    if (pthread_attr_init(&attributes.value) != 0) return std::unexpected(Error::SystemResources);
    attributes.ready = true;
    if (pthread_attr_setstacksize(&attributes.value, thread_stack_size) != 0 ||
        pthread_attr_setguardsize(&attributes.value, thread_guard_size) != 0) {
        return std::unexpected(Error::SystemResources);
    }

    pthread_t thread{};
    const int refused = pthread_create(&thread, &attributes.value, thread_main, arguments.get());
    if (refused == EAGAIN) return std::unexpected(Error::SystemResources);
    if (refused != 0) return std::unexpected(Error::Unexpected);
    (void)arguments.release();  // the thread owns it now
    return thread;
}

}  // namespace gorv
