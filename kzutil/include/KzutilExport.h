// Marks the classes and functions that libKzutil.so exports; everything else stays hidden.
#pragma once

#define KZUTIL_API __attribute__((visibility("default")))
