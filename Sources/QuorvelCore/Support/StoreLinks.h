#pragma once

// The product's addresses on the web and in the software centres.
namespace quorvel::StoreLinks {

// Opens the review form of our page in the desktop's software centre (GNOME
// Software and KDE Discover read appstream links).
inline constexpr char kWriteReview[] = "appstream://io.quorvel.Quorvel?action=write-review";

// The product's site, where the full edition is downloaded.
inline constexpr char kProductSite[] = "https://quorvel.io/";

} // namespace quorvel::StoreLinks
