#include "app/startup.h"

int main(int argc, char **argv)
{
    return qm::RunQuillmark(argc, argv);
}
