// Resource names of the editor's pictures, shared by its .rc file and its view.
#pragma once

#define MRV_EDITOR_IMAGES L"EDITORIMAGES"
#define MRV_CURSOR_SPLIT_UPDOWN L"SPLITUPDOWN"
#define MRV_CURSOR_SPLIT_LEFTRIGHT L"SPLITLEFTRIGHT"
