/* A robot program that answers at once, in every step, with the output text
   that the environment variable MORVANE_TEST_OUTPUT held when it was loaded
   (nothing without one). */
#include "morvane_robot.h"

#include <stdlib.h>
#include <string.h>

void Run(void) { }

void SetData(const char* text) {
    (void)text;
}

void Start(void) { }

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    const char* text = getenv("MORVANE_TEST_OUTPUT");
    if (text)
        strncpy(buffer, text, MORVANE_OUTPUT_SIZE - 1);
}
