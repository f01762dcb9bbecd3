// Console services of the configuration wizard.
#pragma once
