#pragma once
// Names the step the calling thread's compilation is in, so that a compile child that dies of a
// signal can say where ("in SPIRV-Cross, it ended with signal 11"); CompileIsolation.h reads it. The
// name must live as long as the program (a literal). Cheap: one thread-local store.
void NoteCompileStep(const char* step);

// Notes `step` for the lifetime of the object, then the effect compiler's own code again.
class CompileStep {
public:
    explicit CompileStep(const char* step) { NoteCompileStep(step); }
    ~CompileStep() { NoteCompileStep("the effect compiler"); }
    CompileStep(const CompileStep&) = delete;
    CompileStep& operator=(const CompileStep&) = delete;
};
