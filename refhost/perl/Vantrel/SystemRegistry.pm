# Stand-in for the host's registry module. Action scripts load it but call
# nothing in it.
package Vantrel::SystemRegistry;

use strict;
use warnings;

our $VERSION = '1.00';

1;
