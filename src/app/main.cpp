// The quelt program.
#include "app/ovrin_app.h"

int main(int argc, char** argv)
{
    static COvrinApp app;
    return app.Run(argc, argv);
}
