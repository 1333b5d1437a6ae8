#pragma once
// An input whose source may end by itself while the recorder runs (Pelvane's
// recorder pipe when Pelvane quits). Once it has ended the recorder closes the
// file, books what it holds and stops, as when told to; it does not write on
// into a file that no sound reaches. An input says why through takeProblem().
//
// Implemented beside InputBackend by such inputs; asked on the recorder thread.
namespace velmar::recorder {

class EndingInput {
public:
    virtual ~EndingInput() = default;
    // True once the source has ended and all it sent has reached the ring.
    virtual bool ended() const = 0;
};

} // namespace velmar::recorder
