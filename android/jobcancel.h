#ifndef ANDROID_JOBCANCEL_H
#define ANDROID_JOBCANCEL_H

#include "android/simpleprotocol.h"

// The cancel check of the phone job running on the calling thread. A job
// puts its check in place for the length of its run (Scope); the blocking
// steps it calls that know nothing of the job, such as a connector's pauses
// while the agent starts, ask here and end early on Cancel.
class JobCancel
{
public:
    // Puts a job's check in place on this thread until destroyed; scopes
    // nest.
    class Scope
    {
    public:
        explicit Scope(simpleprotocol::CancelCheck cancelled);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        simpleprotocol::CancelCheck m_previous;
    };

    // True once the job running on this thread has been cancelled.
    [[nodiscard]] static bool requested();
    // Sleeps ms milliseconds in short slices; throws CancelledException
    // as soon as the job on this thread is cancelled.
    static void pause(int ms);
};

#endif
