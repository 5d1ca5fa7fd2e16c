#include "platform/std_streams.h"

void UseBinaryStandardStreams() {}
