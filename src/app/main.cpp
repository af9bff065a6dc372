#include "app/startup.h"

int main(int argc, char** argv) {
    return korvel::runEditor(argc, argv);
}
