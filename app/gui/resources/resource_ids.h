// Identifiers of CapsDub.exe's resources, shared by the resource script and the code.
#pragma once

// 112 x 16 strip of the seven 16 x 16 toolbar images, in toolbar order; RGB(255, 0, 255) is
// the transparent colour.
#define IDB_TOOLBAR 101
// 16 x 16 open folder of the two folder buttons, same transparent colour.
#define IDB_FOLDER 102
