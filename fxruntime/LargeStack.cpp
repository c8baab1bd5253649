#include "fxruntime/LargeStack.h"

#include <pthread.h>

#include <exception>

namespace {

struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
};

void* RunJob(void* argument)
{
    auto* job = static_cast<Job*>(argument);
    try {
        (*job->work)();
    } catch (...) {
        job->failure = std::current_exception();
    }
    return nullptr;
}

}  // namespace

void RunOnLargeStack(const std::function<void()>& work)
{
    Job job{&work, nullptr};
    pthread_attr_t attributes;
    pthread_t thread;
    const bool made = pthread_attr_init(&attributes) == 0 &&
                      pthread_attr_setstacksize(&attributes, kCompilerStackBytes) == 0 &&
                      pthread_create(&thread, &attributes, RunJob, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (!made) {
        work();
        return;
    }
    pthread_join(thread, nullptr);
    if (job.failure) {
        std::rethrow_exception(job.failure);
    }
}
