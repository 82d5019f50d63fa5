#pragma once

namespace pulvan::foundation {

// How the calling thread came to be scheduled by raiseToUserInteractivePriority.
enum class ThreadPriority { unchanged, niceLowered, realTime };

// Gives the calling thread the priority of work a user is waiting to hear: real-time
// scheduling where the system permits it, at a low real-time priority so that audio
// servers' own threads still come first; else the lowest nice value permitted, down to
// -10; else nothing, quietly.
ThreadPriority raiseToUserInteractivePriority();

}  // namespace pulvan::foundation
