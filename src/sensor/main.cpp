#include "sensor/run.h"

int main(int argc, char **argv) { return quarlane::RunSensor(argc, argv); }
