#pragma once

// The application-wide pointer: the hourglass over every window while the program works
// without returning to the event loop. Like a pointer setting, not a stack: one call to
// Curseur_Normal restores the normal pointer whatever came before.
void Curseur_Attente();
void Curseur_Normal();
