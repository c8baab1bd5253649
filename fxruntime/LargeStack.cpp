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

void RunOnLargeStacks(const std::vector<std::function<void()>>& work)
{
    std::vector<Job> jobs(work.size());
    std::vector<pthread_t> threads(work.size());
    std::vector<bool> started(work.size(), false);
    pthread_attr_t attributes;
    const bool sized = pthread_attr_init(&attributes) == 0 &&
                       pthread_attr_setstacksize(&attributes, kCompilerStackBytes) == 0;
    for (std::size_t i = 0; i < work.size(); ++i) {
        jobs[i] = {&work[i], nullptr};
        started[i] = sized && pthread_create(&threads[i], &attributes, RunJob, &jobs[i]) == 0;
    }
    pthread_attr_destroy(&attributes);
    for (std::size_t i = 0; i < work.size(); ++i) {
        if (started[i]) {
            pthread_join(threads[i], nullptr);
        } else {
            RunJob(&jobs[i]);
        }
    }
    for (const Job& job : jobs) {
        if (job.failure) {
            std::rethrow_exception(job.failure);
        }
    }
}
