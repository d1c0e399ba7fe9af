#pragma once
// Nothing thrown inside the plug-in may unwind into the host's frames: every
// export, host callback and window procedure runs its work through Contained.

namespace kestrano {

template <typename Work>
void Contained(Work&& work) noexcept {
    try {
        work();
    } catch (...) {
        // Failures are silent by design: the host shows nothing and goes on.
    }
}

}  // namespace kestrano
