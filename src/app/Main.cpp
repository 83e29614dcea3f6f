#include "app/EditorApp.h"

int main(int argc, char** argv) {
    return tracklore::app::RunEditor(argc, argv);
}
