// The rule at every call from the host into the plug-in: no C++ exception goes back to the
// host. Running out of memory or failing a conversion ends that one call quietly.
#pragma once

namespace lumarin {

// Runs `work`, the body of a call from the host, and swallows any exception it throws:
// the call then ends where the exception left it, keeping what was done so far.
template <class Work>
void RunHostCall(Work&& work) noexcept
{
    try {
        work();
    } catch (...) {
        // nothing may leave a call from the host
    }
}

}  // namespace lumarin
