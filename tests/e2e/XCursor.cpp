// Prints the size and hot spot of the cursor the X server shows now: "W H HOTX HOTY".
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (!image) return 1;
    std::printf("%d %d %d %d\n", image->width, image->height, image->xhot, image->yhot);
    XFree(image);
    XCloseDisplay(display);
    return 0;
}
