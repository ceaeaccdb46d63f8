# Stand-in for the host's connector functions: finding, opening and closing
# documents and plug-ins. Everything is simulated by Vantrel::hostapi.
package Vantrel::FrameConnector;

use strict;
use warnings;
use Exporter 'import';
use Vantrel::ID;
use Vantrel::hostapi;

our $VERSION = '1.00';
our @EXPORT = qw(ConnectDocumentPlugIn ConnectDocumentPlugInWithCookie OpenDocumentPlugIn CloseDocumentPlugIn
                 ConnectPlugIn);

sub ConnectDocumentPlugIn           { Vantrel::hostapi::connect_by_file(@_) }
sub ConnectDocumentPlugInWithCookie { Vantrel::hostapi::connect_by_cookie(@_) }
sub OpenDocumentPlugIn              { Vantrel::hostapi::open_document(@_) }
sub CloseDocumentPlugIn             { Vantrel::hostapi::close_document(@_) }
sub ConnectPlugIn                   { Vantrel::hostapi::connect_plugin(@_) }

# Scripts close a plug-in that is not a document by its cookie.
package Vantrel__FrameInterfaces::FrameConnector;

sub ClosePlugIn { Vantrel::hostapi::close_plugin(@_) }

1;
