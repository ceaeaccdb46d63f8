# Stand-in for the host's Perl ids: the class and interface ids a script names.
# The values are the host's fixed ids (host/HostServices.idl).
package Vantrel::ID;

use strict;
use warnings;
use Exporter 'import';

our $VERSION = '1.00';
our @EXPORT = qw(CLSID_NexoPlugIn CLSID_OutputPlugIn IID_IConsole);

sub CLSID_NexoPlugIn   { '{8478BA66-37A8-4F80-9B32-E173A6F77C2B}' }
sub CLSID_OutputPlugIn { '{CDB36314-5E6C-436A-9B40-48876AB31048}' }
sub IID_IConsole       { '{DCF6E3CA-9B9C-4DCE-8914-267392B99125}' }

1;
