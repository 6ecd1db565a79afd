// Included by every source that writes Japanese text as it reads ("ダビング中..."): the build
// compiles such a file's narrow string literals to Shift-JIS (capsdub_shift_jis_texts in
// cmake/CapsDubHelpers.cmake), and this check stops the build of a file that it does not.
#pragma once

// 表 (0x95 0x5C) also proves that a second byte of 0x5C stays inside its character.
static_assert(sizeof("表") == 3 && "表"[0] == '\x95' && "表"[1] == '\x5c',
              "Japanese text must be compiled to Shift-JIS: add this target to "
              "capsdub_shift_jis_texts");
