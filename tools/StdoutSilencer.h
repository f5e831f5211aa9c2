#pragma once

// While alive and active, the process's standard output descriptor points at /dev/null,
// so the core's printf diagnostics vanish; results are printed after it ends and errors
// go to standard error, which is never touched. Buffered text is flushed on both sides
// of the switch so nothing printed before leaks into the void or after it is lost.
class StdoutSilencer {
public:
    explicit StdoutSilencer(bool active);
    ~StdoutSilencer();

    StdoutSilencer(const StdoutSilencer&) = delete;
    StdoutSilencer& operator=(const StdoutSilencer&) = delete;

private:
    int savedDescriptor = -1;
};
