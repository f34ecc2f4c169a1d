#pragma once
#define IDI_KINOHA 1
