#include "platform/process.h"
#include "sensor/run.h"

int main(int argc, char **argv) {
  quarlane::IgnoreFileSizeSignal();
  return quarlane::EndSensor(quarlane::RunSensor(argc, argv));
}
