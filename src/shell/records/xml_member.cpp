#include "shell/records/xml_member.h"
