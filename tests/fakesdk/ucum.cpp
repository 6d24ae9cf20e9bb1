// A stand-in for the SDK's own libsapucum (its Unicode helpers), tests only:
// the fake SDK needs it as the real one needs libsapucum, so that the tests
// show the bridge loading it from the SDK's folder (docs/nwrfc.md "Loading
// the SDK") without LD_LIBRARY_PATH or PATH.
#if defined(_WIN32)
#define FAKEUCUM_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKEUCUM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

FAKEUCUM_EXPORT int fakesdk_ucum_ready() { return 1; }
