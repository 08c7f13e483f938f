#pragma once

// The program's start: shows the splash screen and returns; the program lives on in its windows.
void Main();
