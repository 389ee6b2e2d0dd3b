/* A program that answers at once; built once per missing export to test how
   loading treats incomplete programs. */
#include "morvane_robot.h"

#include <string.h>

#ifndef OMIT_RUN
void Run(void) { }
#endif
#ifndef OMIT_SETDATA
void SetData(const char* input) {
    (void)input;
}
#endif
#ifndef OMIT_GETDATA
void GetData(char* buffer) {
    strcpy(buffer, "minimal");
}
#endif
#ifndef OMIT_ISPAUSE
unsigned char IsPause(void) {
    return 1;
}
#endif
#ifndef OMIT_START
void Start(void) { }
#endif
