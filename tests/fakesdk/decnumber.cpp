// A stand-in for the libicudecnumber that SAP's SDK ships in its lib folder
// (PyRFC's doc/install.rst, node-rfc's doc/installation.md), tests only: the
// fake SDK built as "decnumber" needs it, so that the tests show the bridge
// loading it from the SDK's folder without LD_LIBRARY_PATH or PATH.
#if defined(_WIN32)
#define FAKEDECNUMBER_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKEDECNUMBER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

FAKEDECNUMBER_EXPORT int fakesdk_decnumber_ready() { return 1; }
