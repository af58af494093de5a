#pragma once
// Symbol export of the render control library.
#if defined(_WIN32)
#if defined(QORVARENDERCTRL_BUILD)
#define QORVARENDERCTRL_API __declspec(dllexport)
#else
#define QORVARENDERCTRL_API __declspec(dllimport)
#endif
#else
#define QORVARENDERCTRL_API __attribute__((visibility("default")))
#endif

// The private implementation nested in an exported class. Nested classes take the
// visibility of the class around them; this keeps the Impl's members out of the
// shared library's symbol table, so they are not part of its binary interface.
// (A DLL export does not reach nested classes: nothing to do on Windows.)
#if defined(_WIN32)
#define QORVARENDERCTRL_LOCAL
#else
#define QORVARENDERCTRL_LOCAL __attribute__((visibility("hidden")))
#endif
