// A tiny plug-in for the module loader's tests.
extern "C" __attribute__((visibility("default"))) int EchoAnswer() {
    return 42;
}
