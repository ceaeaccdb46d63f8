# Stand-in for the host's window-server module. Action scripts load it but
# call nothing in it.
package Vantrel::FrameWindowServer;

use strict;
use warnings;

our $VERSION = '1.00';

1;
