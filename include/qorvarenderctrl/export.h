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
